// Crash consistency: quillhost converts a tree of 2,000 files and is killed
// with SIGKILL at random moments. After every kill each file is whole,
// either as it was or fully converted, and none is missing.
#include "support.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <map>
#include <random>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

const int Kills = 20;

std::map<std::string, std::string> MakeOriginals(const std::string &root)
{
    std::mt19937 random(11);
    std::map<std::string, std::string> originals;
    for (int d = 0; d < 20; d++)
        for (int f = 0; f < 100; f++) {
            std::string text;
            size_t size = 2048 + random() % 4096;
            while (text.size() < size)
                text += "file " + std::to_string(d * 100 + f) + " line " + std::to_string(text.size()) + "\r\n";
            originals[PathIn(PathIn(root, "d" + std::to_string(d)), "f" + std::to_string(f) + ".txt")] = text;
        }
    return originals;
}

void Restore(const std::map<std::string, std::string> &originals)
{
    for (const auto &[path, text] : originals) {
        MakeFolder(fs::path(path).parent_path().string());
        if (!Exists(path) || ReadBytes(path) != text)
            WriteBytes(path, text);
    }
}

// Starts quillhost on the tree, in its own working directory; its output
// goes nowhere.
pid_t StartQuillhost(const std::string &root, const std::string &workDir)
{
    std::vector<std::string> args = {QUILLHOST_PROGRAM, "--to", "unix", "--subdirs", "--root-key",
                                     "Software\\QuillmereCrash", "--module",
                                     QUILLMERE_DIST_DIR "Quillmere.so", root};
    for (int d = 0; d < 20; d++)
        args.push_back("d" + std::to_string(d));
    pid_t child = fork();
    if (child == 0) {
        int null = open("/dev/null", O_WRONLY);
        dup2(null, 1);
        dup2(null, 2);
        if (chdir(workDir.c_str()) != 0)
            _exit(126);
        std::vector<char *> argv;
        for (std::string &arg : args)
            argv.push_back(arg.data());
        argv.push_back(nullptr);
        execv(argv[0], argv.data());
        _exit(127);
    }
    return child;
}

TEST(Crash, EveryFileIsWholeAfterAKill)
{
    std::string root = Scratch();
    std::string tree = PathIn(root, "tree"), workDir = PathIn(root, "work");
    MakeFolder(workDir);
    std::map<std::string, std::string> originals = MakeOriginals(tree);
    Restore(originals);

    auto start = std::chrono::steady_clock::now();
    int status = 0;
    waitpid(StartQuillhost(tree, workDir), &status, 0);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    auto fullRun = std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - start);
    for (const auto &[path, text] : originals)
        ASSERT_EQ(ReadBytes(path), ModelConvert(text, 0)) << path;

    // The kills are spread over the length of a whole run; a kill counts
    // only when it left the tree part converted, so a run too fast or too
    // slow for the kills to land cannot pass unnoticed.
    std::mt19937 random(12);
    int midRun = 0, temporaries = 0;
    for (int kill = 0; kill < Kills; kill++) {
        Restore(originals);
        auto slot = fullRun / Kills;
        auto delay = slot * kill + slot * (long)(random() % 1000) / 1000;
        pid_t child = StartQuillhost(tree, workDir);
        std::this_thread::sleep_for(delay);
        ::kill(child, SIGKILL);
        waitpid(child, &status, 0);
        size_t converted = 0;
        for (const auto &[path, text] : originals) {
            ASSERT_TRUE(Exists(path)) << "kill " << kill << ": " << path << " is missing";
            std::string now = ReadBytes(path);
            bool whole = now == text || now == ModelConvert(text, 0);
            ASSERT_TRUE(whole) << "kill " << kill << ": " << path << " is neither original nor converted";
            converted += now != text;
        }
        midRun += WIFSIGNALED(status) && converted > 0 && converted < originals.size();
        // On a machine whose load changes, the length of a run does too:
        // a kill that came too late or too early moves the next ones.
        if (converted == originals.size())
            fullRun = fullRun * 4 / 5;
        else if (converted == 0 && kill * 2 > Kills)
            fullRun = fullRun * 5 / 4;
        temporaries += CountTemporariesIn(workDir, true);
    }
    printf("%d kills, %d of them part-way through the conversion; %d temporaries left\n", Kills, midRun,
           temporaries);
    EXPECT_GE(midRun, 3) << "too few kills landed while files were being converted";
    EXPECT_LE(temporaries, Kills) << "at most the one file being converted leaves a temporary";
}

} // namespace
