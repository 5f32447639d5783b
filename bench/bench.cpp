// quillbench: how close the module comes to the floor of its own I/O
// pattern (one 2048-byte read and one write per block), driven through its
// exports as the host drives it: a file or a tree selected, the dialog
// answered. Prints figures; it judges nothing. Repetitions are interleaved
// and medians reported.
#include "common.h"
#include "engine/engine.h"
#include "engine/scan.h"
#include "quillhost/loader.h"
#include "quillhost/standin.h"

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
#include <vector>

namespace fs = std::filesystem;

// The floor: the rewrite's pattern without the scan. A temporary in the
// working directory, 2048-byte reads each followed by one write, the time
// stamps, the data flushed to the disk as the module flushes it, and the
// replacing move, written through.
static void FloorCopy(const char *path)
{
    static char temp[MAX_PATH];
    alignas(64) static unsigned char block[BlockSize]; // as the module's area
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
    FlushFileBuffers(target);
    CloseHandle(target);
    CloseHandle(source);
    MoveFileExA(temp, path, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
}

static LoadedModule Module;

// The module's folder as the platform names it.
static std::string DistFolder()
{
#ifdef _WIN32
    return HostPath(QUILLMERE_DIST_DIR);
#else
    return QUILLMERE_DIST_DIR;
#endif
}

static void LoadTheModule()
{
    std::string error;
    if (!LoadModule(DistFolder() + ModuleFileName, Module, error)) {
        fprintf(stderr, "quillbench: %s\n", error.c_str());
        exit(1);
    }
    LoadMessages(DistFolder() + "QuillmereEng.lng");
    static PluginStartupInfo info = StartupInfoFor("Software\\QuillmereBench");
    Module.SetStartupInfo(&info);
}

// One run of the module as the host makes it: the names selected in the
// working directory, the dialog answered with the mode (1 to LF, 2 to CR
// LF) and the recursion box ticked.
static double RunModule(const std::vector<std::string> &selection, int radio, ListingForm form)
{
    ResetHost(HostPath(fs::current_path().string()));
    Host.selection = selection;
    Host.pickRadio = radio;
    Host.subdirs = 1;
    Host.listing = form;
    return Seconds([] { Module.OpenPlugin(OPEN_PLUGINSMENU, 0); });
}

static void BigFile(size_t size, int repetitions)
{
    SaveFile("big.txt", Text(size, "\r\n", 1));
    SaveFile("floor.txt", Text(size, "\r\n", 1));
    std::vector<double> floor, toLf, toCrLf;
    for (int i = 0; i < repetitions; i++) {
        floor.push_back(Seconds([] { FloorCopy("floor.txt"); }));
        toLf.push_back(RunModule({"big.txt"}, 1, ListingForm::Direct));
        floor.push_back(Seconds([] { FloorCopy("floor.txt"); }));
        toCrLf.push_back(RunModule({"big.txt"}, 2, ListingForm::Direct));
    }
    double mib = (double)size / (1 << 20);
    printf("file of %.0f MiB, %d repetitions each, medians:\n", mib, repetitions);
    printf("  floor (2048-byte copy)   %7.3f s  %7.0f MiB/s\n", Median(floor), mib / Median(floor));
    printf("  module, CR LF -> LF      %7.3f s  %7.0f MiB/s  ratio to floor %.3f\n", Median(toLf),
           mib / Median(toLf), Median(toLf) / Median(floor));
    printf("  module, LF -> CR LF      %7.3f s  %7.0f MiB/s  ratio to floor %.3f\n", Median(toCrLf),
           mib / Median(toCrLf), Median(toCrLf) / Median(floor));
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
    static const char *const Names[] = {"words", "SSE2", "AVX2", "AVX-512"};
    printf("scan alone, lines of 40 to 80 bytes, GB/s: 64 MiB in memory | one block in cache (* the module's)\n");
    for (int path = ScanWords; path <= WidestScanPath(); path++) {
        UseScanPath((ScanPath)path);
        char toLf = path == FastestScanPath(ModeToLf) ? '*' : ' ', toCrLf = path == FastestScanPath(ModeToCrLf) ? '*' : ' ';
        printf("  %-7s CR LF to LF%c%6.2f | %6.2f   LF to CR LF%c%6.2f | %6.2f   LF to LF%c%6.2f | %6.2f\n", Names[path],
               toLf, ScanRate(crlf, ModeToLf, false, 7), ScanRate(crlf, ModeToLf, true, 7), toCrLf,
               ScanRate(lf, ModeToCrLf, false, 7), ScanRate(lf, ModeToCrLf, true, 7), toLf,
               ScanRate(lf, ModeToLf, false, 7), ScanRate(lf, ModeToLf, true, 7));
    }
    UseFastestScanPaths();
}

// quillhost on the big file, against the module's own time for it.
static void Quillhost(int repetitions)
{
    std::vector<double> host, module;
    for (int i = 0; i < repetitions; i++) {
        host.push_back(RunChild({QUILLHOST_PROGRAM, "--to", "unix", ".", "big.txt"}));
        module.push_back(RunModule({"big.txt"}, 1, ListingForm::Direct));
        RunModule({"big.txt"}, 2, ListingForm::Direct);
    }
    printf("quillhost converting the same file to LF, whole process: %7.3f s, %.2f x the module's %.3f s\n",
           Median(host), Median(host) / Median(module), Median(module));
}

// Peak memory of a fresh process whose module converts one file.
static void Memory(const char *self)
{
    long peak[2];
    size_t sizes[2] = {(size_t)1 << 20, (size_t)256 << 20};
    for (int i = 0; i < 2; i++) {
        SaveFile("rss.txt", Text(sizes[i], "\n", 4));
        peak[i] = ChildPeakKiB({self, "--convert-once", "rss.txt"});
    }
    fs::remove("rss.txt");
    printf("peak memory of a process whose module converts one file to CR LF:\n");
    printf("  1 MiB file               %6ld KiB\n  256 MiB file             %6ld KiB  (difference %ld KiB)\n",
           peak[0], peak[1], peak[1] - peak[0]);
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
    std::vector<double> floor, direct, subtree;
    // Each run leaves the file system writing back what it wrote, so the
    // three take turns at coming first.
    const std::function<void(int)> runs[3] = {
        [&](int) {
            floor.push_back(Seconds([&] {
                for (const fs::directory_entry &entry : fs::recursive_directory_iterator("tree"))
                    if (entry.is_regular_file())
                        FloorCopy(entry.path().string().c_str());
            }));
        },
        [&](int i) { direct.push_back(RunModule({"tree"}, 1 + i % 2, ListingForm::Direct)); },
        [&](int i) { subtree.push_back(RunModule({"tree"}, 2 - i % 2, ListingForm::Subtree)); },
    };
    for (int i = 0; i < 3 * repetitions; i++)
        for (int k = 0; k < 3; k++)
            runs[(i + k) % 3](i);
    double n = (double)files.size();
    printf("tree of %zu files of 1 to 8 KiB in 100 directories, %d repetitions each, medians:\n",
           files.size(), 3 * repetitions);
    printf("  floor, file by file      %8.0f files/s\n", n / Median(floor));
    printf("  module, direct listings  %8.0f files/s  ratio to floor %.3f\n", n / Median(direct),
           Median(floor) / Median(direct));
    printf("  module, subtree listing  %8.0f files/s  ratio to floor %.3f\n", n / Median(subtree),
           Median(floor) / Median(subtree));
    fs::remove_all("tree");
}

int main(int argc, char **argv)
{
    LoadTheModule();
    if (argc == 3 && strcmp(argv[1], "--convert-once") == 0) {
        RunModule({argv[2]}, 2, ListingForm::Direct);
        TellPeak();
        return 0;
    }
    // Medians and quartiles need one repetition at least.
    int repetitions = argc > 1 ? std::max(1, atoi(argv[1])) : 5;
    Scan();
    BigFile((size_t)256 << 20, repetitions);
    Quillhost(repetitions);
    fs::remove("big.txt");
    Memory(argv[0]);
    Tree(repetitions);
    UnloadModule(Module);
    return 0;
}
