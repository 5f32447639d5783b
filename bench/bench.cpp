// quillbench: how close the conversion comes to the floor of its own I/O
// pattern (one 2048-byte read and one write per block). Prints figures; it
// judges nothing. Repetitions are interleaved and medians reported.
#include "engine/engine.h"
#include "engine/scan.h"
#include "host/services.h"
#include "quillhost/standin.h"
#include "settings/settings.h"
#include "walk/walk.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

static double Seconds(const std::function<void()> &work)
{
    auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

static double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// Text of short lines, 40 to 80 bytes each, ending in the given break.
static std::string Text(size_t size, const char *lineBreak, unsigned seed)
{
    std::mt19937 random(seed);
    std::string text;
    text.reserve(size + 100);
    while (text.size() < size) {
        size_t length = 40 + random() % 41 - strlen(lineBreak);
        for (size_t i = 0; i < length; i++)
            text += (char)('a' + random() % 26);
        text += lineBreak;
    }
    text.resize(size);
    return text;
}

static void SaveFile(const std::string &path, const std::string &bytes)
{
    std::ofstream(path, std::ios::binary).write(bytes.data(), (std::streamsize)bytes.size());
}

// The floor: the rewrite's pattern without the scan. A temporary in the
// working directory, 2048-byte reads each followed by one write, the time
// stamps, and the replacing move.
static void FloorCopy(const char *path)
{
    static char temp[MAX_PATH];
    static unsigned char block[BlockSize];
    static FILETIME times[3];
    if (!GetTempFileNameA(".", "cvt~", 0, temp))
        return;
    HANDLE source = CreateFileA(path, GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    HANDLE target = CreateFileA(temp, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD got = 0, put = 0;
    do {
        ReadFile(source, block, BlockSize, &got, nullptr);
        WriteFile(target, block, got, &put, nullptr);
    } while (got != 0);
    GetFileTime(source, &times[0], &times[1], &times[2]);
    SetFileTime(target, &times[0], &times[1], &times[2]);
    CloseHandle(target);
    CloseHandle(source);
    MoveFileExA(temp, path, MOVEFILE_REPLACE_EXISTING);
}

static void Rewrite(const std::string &path, DWORD mode)
{
    Settings.ConvertMode = mode;
    RewriteFile(path.c_str());
}

static void BigFile(size_t size, int repetitions)
{
    SaveFile("big.txt", Text(size, "\r\n", 1));
    SaveFile("floor.txt", Text(size, "\r\n", 1));
    std::vector<double> floor, toLf, toCrLf;
    for (int i = 0; i < repetitions; i++) {
        floor.push_back(Seconds([] { FloorCopy("floor.txt"); }));
        toLf.push_back(Seconds([] { Rewrite("big.txt", ModeToLf); }));
        floor.push_back(Seconds([] { FloorCopy("floor.txt"); }));
        toCrLf.push_back(Seconds([] { Rewrite("big.txt", ModeToCrLf); }));
    }
    double mib = (double)size / (1 << 20);
    printf("file of %.0f MiB, %d repetitions each, medians:\n", mib, repetitions);
    printf("  floor (2048-byte copy)   %7.3f s  %7.0f MiB/s\n", Median(floor), mib / Median(floor));
    printf("  rewrite CR LF -> LF      %7.3f s  %7.0f MiB/s  ratio to floor %.3f\n", Median(toLf),
           mib / Median(toLf), Median(toLf) / Median(floor));
    printf("  rewrite LF -> CR LF      %7.3f s  %7.0f MiB/s  ratio to floor %.3f\n", Median(toCrLf),
           mib / Median(toCrLf), Median(toCrLf) / Median(floor));
    fs::remove("big.txt");
    fs::remove("floor.txt");
}

// cached: the first block over and over, as the converter's block sits in
// the first-level cache; otherwise every block of the text once.
static double ScanRate(const std::string &text, DWORD mode, bool cached, int repetitions)
{
    static unsigned char out[2 * (BlockSize + 1) + ScanSlack];
    std::vector<double> times;
    size_t sink = 0;
    for (int r = 0; r < repetitions; r++)
        times.push_back(Seconds([&] {
            const unsigned char *in = (const unsigned char *)text.data();
            for (size_t at = 0; at + BlockSize + ScanSlack <= text.size(); at += BlockSize)
                sink += ScanBlock(in + (cached ? 0 : at), BlockSize, true, mode, out).produced;
        }));
    if (sink == 1)
        puts("");
    return (double)text.size() / Median(times) / 1e9;
}

static void Scan()
{
    // The last block reads into the slack behind the text.
    std::string crlf = Text(64 << 20, "\r\n", 2) + std::string(ScanSlack, ' ');
    std::string lf = Text(64 << 20, "\n", 3) + std::string(ScanSlack, ' ');
    static const char *const Names[] = {"words", "SSE2", "AVX2"};
    printf("scan alone, lines of 40 to 80 bytes, GB/s: 64 MiB in memory | one block in cache\n");
    const ScanPath fastest = FastestScanPath();
    for (int path = ScanWords; path <= fastest; path++) {
        ScanPathInUse = (ScanPath)path;
        printf("  %-6s CR LF to LF %6.2f | %6.2f   LF to CR LF %6.2f | %6.2f   LF to LF %6.2f | %6.2f\n",
               Names[path], ScanRate(crlf, ModeToLf, false, 7), ScanRate(crlf, ModeToLf, true, 7),
               ScanRate(lf, ModeToCrLf, false, 7), ScanRate(lf, ModeToCrLf, true, 7),
               ScanRate(lf, ModeToLf, false, 7), ScanRate(lf, ModeToLf, true, 7));
    }
    ScanPathInUse = fastest;
}

// Peak resident memory of a fresh process that rewrites one file.
static long PeakKiB(const char *self, size_t size)
{
    SaveFile("rss.txt", Text(size, "\n", 4));
    pid_t child = fork();
    if (child == 0) {
        execl(self, self, "--rewrite-once", "rss.txt", (char *)nullptr);
        _exit(127);
    }
    int status = 0;
    struct rusage usage;
    wait4(child, &status, 0, &usage);
    fs::remove("rss.txt");
    return usage.ru_maxrss;
}

static void Memory(const char *self)
{
    long small = PeakKiB(self, 1 << 20), big = PeakKiB(self, (size_t)256 << 20);
    printf("peak resident memory of one rewrite to CR LF:\n");
    printf("  1 MiB file               %6ld KiB\n  256 MiB file             %6ld KiB  (difference %ld KiB)\n",
           small, big, big - small);
}

static std::vector<std::string> MakeTree(const std::string &root)
{
    std::mt19937 random(5);
    std::vector<std::string> files;
    for (int d = 0; d < 100; d++) {
        std::string dir = root + "/d" + std::to_string(d);
        fs::create_directories(dir);
        for (int f = 0; f < 100; f++) {
            files.push_back(dir + "/f" + std::to_string(f) + ".txt");
            SaveFile(files.back(), Text(1024 + random() % (7 * 1024 + 1), "\r\n", random()));
        }
    }
    return files;
}

static void Tree(int repetitions)
{
    fs::remove_all("tree");
    std::vector<std::string> files = MakeTree("tree");
    ResetHost(HostPath(fs::absolute("tree").string()));
    HostInfo = StartupInfoFor("Software\\QuillmereBench");
    Settings.ProcessSubDir = 1;
    std::string root = HostPath(fs::absolute("tree").string());
    std::vector<double> floor, direct, subtree;
    for (int i = 0; i < 2 * repetitions; i++) {
        floor.push_back(Seconds([&] {
            for (const fs::directory_entry &entry : fs::recursive_directory_iterator("tree"))
                if (entry.is_regular_file())
                    FloorCopy(entry.path().c_str());
        }));
        Settings.ConvertMode = i % 2 ? ModeToCrLf : ModeToLf;
        for (ListingForm form : {ListingForm::Direct, ListingForm::Subtree}) {
            Host.listing = form;
            FAR_FIND_DATA tree = PanelItem("tree", root).FindData;
            (form == ListingForm::Direct ? direct : subtree).push_back(Seconds([&] {
                ProcessEntry(HostPath(fs::current_path().string()).c_str(), tree);
            }));
        }
    }
    double n = (double)files.size();
    printf("tree of %zu files of 1 to 8 KiB in 100 directories, %d repetitions each, medians:\n",
           files.size(), 2 * repetitions);
    printf("  floor, file by file      %8.0f files/s\n", n / Median(floor));
    printf("  walk, direct listings    %8.0f files/s  ratio to floor %.3f\n", n / Median(direct),
           Median(floor) / Median(direct));
    printf("  walk, subtree listing    %8.0f files/s  ratio to floor %.3f\n", n / Median(subtree),
           Median(floor) / Median(subtree));
    fs::remove_all("tree");
}

int main(int argc, char **argv)
{
    if (argc == 3 && strcmp(argv[1], "--rewrite-once") == 0) {
        Rewrite(argv[2], ModeToCrLf);
        return 0;
    }
    int repetitions = argc > 1 ? atoi(argv[1]) : 5;
    Scan();
    BigFile((size_t)256 << 20, repetitions);
    Memory(argv[0]);
    Tree(repetitions);
    return 0;
}
