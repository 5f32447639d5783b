// Crash consistency of the wide module: quillhost converts a tree and is
// killed (TerminateProcess, nothing of the process runs again) at moments
// spread over a whole run. After every kill each file is whole, either as
// it was or fully converted, and at most the file being converted left a
// temporary beside it.
#include "wide_support.h"

#include <map>
#include <random>

namespace {

const int Kills = 12, Folders = 10, FilesPerFolder = 50;

std::map<std::wstring, std::string> MakeOriginals(const std::wstring &tree)
{
    std::mt19937 random(11);
    std::map<std::wstring, std::string> originals;
    for (int d = 0; d < Folders; d++)
        for (int f = 0; f < FilesPerFolder; f++) {
            std::string text;
            size_t size = 2048 + random() % 4096;
            while (text.size() < size)
                text += "file " + std::to_string(d * 100 + f) + " line " + std::to_string(text.size()) + "\r\n";
            originals[tree + L"\\d" + std::to_wstring(d) + L"\\f" + std::to_wstring(f) + L".txt"] = text;
        }
    return originals;
}

void Restore(const std::map<std::wstring, std::string> &originals)
{
    for (const auto &[path, text] : originals)
        if (Get(path) != text)
            Put(path, text);
}

// quillhost on the whole tree, its output to nowhere.
HANDLE StartQuillhost(const std::wstring &root)
{
    std::wstring line = L"\"" + Widen(QUILLHOST_PROGRAM) + L"\" --to unix --subdirs --settings \"" + root +
                        L"\\settings\" --module \"" + Widen(QUILLMERE_DIST_DIR) + L"Quillmere.dll\" \"" + root +
                        L"\\tree\"";
    for (int d = 0; d < Folders; d++)
        line += L" d" + std::to_wstring(d);
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    HANDLE nowhere = CreateFileW(L"NUL", GENERIC_WRITE, FILE_SHARE_WRITE, &inherit, OPEN_EXISTING, 0, nullptr);
    STARTUPINFOW start = {};
    start.cb = sizeof start;
    start.dwFlags = STARTF_USESTDHANDLES;
    start.hStdOutput = start.hStdError = nowhere;
    PROCESS_INFORMATION process = {};
    BOOL started = CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &start, &process);
    CloseHandle(nowhere);
    EXPECT_TRUE(started) << Narrow(line);
    CloseHandle(process.hThread);
    return process.hProcess;
}

TEST(WideKill, EveryFileIsWholeAfterAKill)
{
    std::wstring root = Root(), tree = root + L"\\tree";
    std::map<std::wstring, std::string> originals = MakeOriginals(tree);
    Restore(originals);

    ULONGLONG started = GetTickCount64();
    HANDLE run = StartQuillhost(root);
    WaitForSingleObject(run, INFINITE);
    CloseHandle(run);
    ULONGLONG fullRun = GetTickCount64() - started;
    for (const auto &[path, text] : originals)
        ASSERT_EQ(Get(path), ModelConvert(text, 0)) << Narrow(path);

    // A kill counts only when it left the tree part converted, so a run too
    // fast or too slow for the kills to land cannot pass unnoticed; the
    // kills follow the length of a run as the machine's load moves it.
    std::mt19937 random(12);
    int midRun = 0, temporaries = 0;
    for (int kill = 0; kill < Kills; kill++) {
        Restore(originals);
        ULONGLONG slot = fullRun / Kills, delay = slot * kill + slot * (random() % 1000) / 1000;
        HANDLE child = StartQuillhost(root);
        Sleep(DWORD(delay));
        TerminateProcess(child, 9);
        WaitForSingleObject(child, INFINITE);
        CloseHandle(child);
        size_t converted = 0;
        for (const auto &[path, text] : originals) {
            std::string now = Get(path);
            ASSERT_TRUE(now == text || now == ModelConvert(text, 0))
                << "kill " << kill << ": " << Narrow(path) << " is neither as it was nor converted: " << now.size() << " bytes, " << now.substr(0, 20);
            converted += now != text;
        }
        midRun += converted > 0 && converted < originals.size();
        if (converted == originals.size())
            fullRun = fullRun * 4 / 5;
        else if (converted == 0 && kill * 2 > Kills)
            fullRun = fullRun * 5 / 4;
        int left = TemporariesBelow(Narrow(tree), true);
        EXPECT_LE(left, 1) << "kill " << kill;
        temporaries += left;
    }
    printf("%d kills, %d of them part-way through the conversion; %d temporaries left\n", Kills, midRun,
           temporaries);
    EXPECT_GE(midRun, 3) << "too few kills landed while files were being converted";
}

} // namespace
