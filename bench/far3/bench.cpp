// quillbench for the module of today's host: the module driven through its
// exports as the host drives it, against a plain copy through the same file
// functions (the floor of its own I/O pattern, at its block size and at the
// 2048-byte blocks of the single-byte module); scripts/bench adds dos2unix
// on the same text. Prints figures; it judges nothing. Repetitions are
// interleaved and medians reported.
#include "common.h"
#include "quillhost/wide_standin.h"
#include "far3/walk.h"

#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>

namespace fs = std::filesystem;

static std::wstring Here(const std::string &name)
{
    return LongForm(fs::absolute(name).wstring());
}

enum : DWORD {
    LargestBlock = 1048576,
};
static_assert((DWORD)WideBlockSize <= (DWORD)LargestBlock, "the floor copies through FloorArea");

// Aligned as the module's own areas are: a copy between an area and the
// system's cache pages costs far more when their alignments differ, and an
// area from the heap would give the floor that cost and not the module.
alignas(64) static unsigned char FloorArea[LargestBlock];
alignas(64) static unsigned char SizesIn[LargestBlock + 1 + ScanSlack];
alignas(64) static unsigned char SizesOut[OutRoom(LargestBlock, LargestBlock)];

// The floor: the rewrite's pattern without the scan. A temporary beside the
// file, reads of block bytes each followed by one write, the time stamps,
// the data flushed to the disk as the module flushes it, and the replacing
// move, written through. Without the flush, its cost shows.
static void FloorCopy(const std::wstring &path, DWORD block, bool flush = true)
{
    std::wstring temp = path.substr(0, path.rfind(L'\\') + 1) + L"cvt~floor.tmp";
    HANDLE source = CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    HANDLE target = CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD got = 0, put = 0;
    do {
        ReadFile(source, FloorArea, block, &got, nullptr);
        WriteFile(target, FloorArea, got, &put, nullptr);
    } while (got != 0);
    FILETIME times[3];
    GetFileTime(source, &times[0], &times[1], &times[2]);
    SetFileTime(target, &times[0], &times[1], &times[2]);
    if (flush)
        FlushFileBuffers(target);
    CloseHandle(target);
    CloseHandle(source);
    MoveFileExW(temp.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | (flush ? MOVEFILE_WRITE_THROUGH : 0));
}

// What a timed run left in the system's cache is on the disk before the
// next run starts, so that no run pays for the writes of the one before.
static double Settled(const char *name, double seconds)
{
    HANDLE file = CreateFileW(Here(name).c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    FlushFileBuffers(file);
    CloseHandle(file);
    return seconds;
}

static WideModule Module;

static void LoadTheModule()
{
    std::string error, dist = QUILLMERE_DIST_DIR;
    if (!LoadWideModule(dist + "Quillmere.dll", Module, error) || !LoadWideCatalogue(dist, "English")) {
        fprintf(stderr, "quillbench: %s\n", error.empty() ? "no catalogue" : error.c_str());
        exit(1);
    }
    static FarStandardFunctions fsf;
    static PluginStartupInfo info = WideStartupInfo(Widen(dist + "Quillmere.dll"), fsf);
    Module.SetStartupInfoW(&info);
}

// One run as the host makes it: the names selected in the working
// directory and the panel read, the dialog answered with the mode (1 to
// LF, 2 to CR LF) and the recursion box ticked.
static double RunModule(const std::vector<std::string> &selection, int radio)
{
    ResetWide(Narrow(fs::current_path().wstring()));
    Wide.selection = selection;
    Wide.pickRadio = radio;
    Wide.subdirs = 1;
    ReadWidePanel(); // as shown before the user picks the entry
    const GUID item = {};
    OpenInfo open = {sizeof open, OPEN_PLUGINSMENU, &item, 0, nullptr};
    return Seconds([&] { Module.OpenW(&open); });
}

// Runs against the floor's runs of the same repetitions: the median of the
// ratios run by run, their quartiles, and the ratio of the two medians.
static std::string AgainstFloor(const std::vector<double> &runs, const std::vector<double> &floor)
{
    char text[80];
    snprintf(text, sizeof text, "%.3f [%s], of the medians %.3f", RatioMedian(runs, floor),
             RatioQuartiles(runs, floor).c_str(), Median(runs) / Median(floor));
    return text;
}

// The floor at several block sizes, and the converter at the same sizes
// through the rewrite itself: where the module's block size comes from.
static void BlockSizes(int repetitions)
{
    SaveFile("sizes.txt", Text(64 << 20, "\r\n", 7));
    const DWORD sizes[] = {2048, 16384, 65536, 262144, 524288, 1048576};
    printf("64 MiB file, by block size (module %u), medians of %d, MiB/s: copy floor | rewrite, both ways;\n"
           "x floor: the median [and quartiles] of the ratios repetition by repetition, the ratio of the medians\n",
           (unsigned)WideBlockSize, repetitions);
    for (DWORD block : sizes) {
        std::vector<double> floor, rewrite;
        const ConvertAreas areas = {SizesIn, SizesOut, block, block};
        for (int i = 0; i < 2 * repetitions; i++) {
            floor.push_back(Settled("sizes.txt", Seconds([&] { FloorCopy(Here("sizes.txt"), block); })));
            rewrite.push_back(
                Settled("sizes.txt", Seconds([&] { RewriteWide(Here("sizes.txt"), nullptr, {DWORD(i % 2), true, false}, areas); })));
        }
        printf("  %7u bytes   %7.0f | %7.0f   x floor %s\n", (unsigned)block, 64 / Median(floor),
               64 / Median(rewrite), AgainstFloor(rewrite, floor).c_str());
    }
    fs::remove("sizes.txt");
}

static void BigFile(int repetitions)
{
    const size_t size = (size_t)64 << 20;
    SaveFile("big.txt", Text(size, "\r\n", 1));
    // Each kind of run has a file of its own, so that every run replaces a
    // file its own kind wrote: how a file was written (2048 bytes at a time,
    // say) changes what replacing it costs.
    SaveFile("floor.txt", Text(size, "\r\n", 1));
    SaveFile("small.txt", Text(size, "\r\n", 1));
    SaveFile("bare.txt", Text(size, "\r\n", 1));
    std::vector<double> own, small, bare, toLf, toCrLf;
    uintmax_t written = 0;
    for (int i = 0; i < repetitions; i++) {
        // The floors come before and after the module's runs in turn; the
        // module converts to LF, then back to CR LF.
        const std::function<void()> runs[5] = {
            [&] { own.push_back(Settled("floor.txt", Seconds([] { FloorCopy(Here("floor.txt"), WideBlockSize); }))); },
            [&] { toLf.push_back(Settled("big.txt", RunModule({"big.txt"}, 1))); },
            [&] { small.push_back(Settled("small.txt", Seconds([] { FloorCopy(Here("small.txt"), 2048); }))); },
            [&] {
                toCrLf.push_back(Settled("big.txt", RunModule({"big.txt"}, 2)));
                written = fs::file_size("big.txt");
            },
            [&] {
                bare.push_back(
                    Settled("bare.txt", Seconds([] { FloorCopy(Here("bare.txt"), WideBlockSize, false); })));
            },
        };
        static const int orders[2][5] = {{0, 1, 2, 3, 4}, {4, 1, 0, 3, 2}};
        for (int k : orders[i % 2])
            runs[k]();
    }
    double mib = (double)size / (1 << 20), module = Median(toLf);
    printf("file of %.0f MiB, lines of 40 to 80 bytes, %d repetitions, medians:\n", mib, repetitions);
    printf("  copy floor, %6u-byte blocks %7.3f s %7.0f MiB/s\n", (unsigned)WideBlockSize, Median(own), mib / Median(own));
    printf("  copy floor,   2048-byte blocks %7.3f s %7.0f MiB/s\n", Median(small), mib / Median(small));
    printf("  copy floor, no flush            %7.3f s: the flush and the written-through move cost %.1f ms\n",
           Median(bare), 1000 * (Median(own) - Median(bare)));
    printf("  module, CR LF -> LF            %7.3f s %7.0f MiB/s  x own floor %s\n", module, mib / module,
           AgainstFloor(toLf, own).c_str());
    printf("  module, LF -> CR LF            %7.3f s %7.0f MiB/s  x own floor %s, writing %.1f MiB\n",
           Median(toCrLf), mib / Median(toCrLf), AgainstFloor(toCrLf, own).c_str(), (double)written / (1 << 20));
    printf("  faster than the 2048 floor (the median of the ratios): to LF %.2f x, to CR LF %.2f x\n",
           RatioMedian(small, toLf), RatioMedian(small, toCrLf));
    // dos2unix is a Linux program: scripts/bench times it on this same text
    // and sets it beside the figure below.
    SaveFile("dos2unix-input.txt", Text(size, "\r\n", 1));
    printf("module-to-lf-seconds %.6f\n", module);
    fs::remove("floor.txt");
    fs::remove("small.txt");
    fs::remove("bare.txt");
    fs::remove("big.txt");
}

// What telling binary files from text costs on text: the same rewrite of
// 64 MiB with the NUL search and without it (as a run that converts binary
// files too makes it), in turn, each way.
static void BinaryCheck(int repetitions)
{
    SaveFile("check.txt", Text((size_t)64 << 20, "\r\n", 1));
    std::vector<double> runs[2][2]; // [to CR LF][without the search]
    for (int i = 0; i < 4 * repetitions; i++) {
        int toCrLf = i % 2, unchecked = i / 2 % 2;
        ConvertRules rules = {DWORD(toCrLf), true, unchecked == 1};
        runs[toCrLf][unchecked].push_back(
            Settled("check.txt", Seconds([&] { RewriteWide(Here("check.txt"), nullptr, rules); })));
    }
    printf("64 MiB of text, the binary check's cost, medians of %d: with the NUL search | without\n", repetitions);
    for (int toCrLf = 0; toCrLf < 2; toCrLf++)
        printf("  %-12s %7.3f s | %7.3f s  x without %.3f\n", toCrLf ? "to CR LF" : "to LF", Median(runs[toCrLf][0]),
               Median(runs[toCrLf][1]), RatioMedian(runs[toCrLf][0], runs[toCrLf][1]));
    fs::remove("check.txt");
}

static std::vector<std::wstring> MakeTree()
{
    std::mt19937 random(5);
    std::vector<std::wstring> files;
    for (int d = 0; d < 100; d++) {
        std::string dir = "tree/d" + std::to_string(d);
        fs::create_directories(dir);
        for (int f = 0; f < 100; f++) {
            std::string file = dir + "/f" + std::to_string(f) + ".txt";
            SaveFile(file, Text(1024 + random() % (7 * 1024 + 1), "\r\n", random()));
            files.push_back(Here(file));
        }
    }
    return files;
}

static void Tree(int repetitions)
{
    fs::remove_all("tree");
    std::vector<std::wstring> files = MakeTree();
    std::vector<double> own, small, bare, module, already;
    for (int i = 0; i < repetitions; i++) {
        // The file system writes back what each run wrote: they take turns
        // at coming first. The module's second run finds the tree in the
        // form the first left it in.
        const std::function<void()> runs[4] = {
            [&] { own.push_back(Seconds([&] { for (auto &f : files) FloorCopy(f, WideBlockSize); })); },
            [&] { small.push_back(Seconds([&] { for (auto &f : files) FloorCopy(f, 2048); })); },
            [&] {
                module.push_back(RunModule({"tree"}, 1 + i % 2));
                already.push_back(RunModule({"tree"}, 1 + i % 2));
            },
            [&] { bare.push_back(Seconds([&] { for (auto &f : files) FloorCopy(f, WideBlockSize, false); })); },
        };
        for (int k = 0; k < 4; k++)
            runs[(i + k) % 4]();
    }
    double n = (double)files.size();
    printf("tree of %zu files of 1 to 8 KiB in 100 folders, %d repetitions, medians:\n", files.size(), repetitions);
    printf("  copy floor, %6u-byte blocks %8.0f files/s\n", (unsigned)WideBlockSize, n / Median(own));
    printf("  copy floor,   2048-byte blocks %8.0f files/s\n", n / Median(small));
    printf("  copy floor, no flush           %8.0f files/s: the flush costs %.0f us a file\n", n / Median(bare),
           1e6 * (Median(own) - Median(bare)) / n);
    printf("  module                         %8.0f files/s  x own floor %s\n", n / Median(module),
           AgainstFloor(module, own).c_str());
    printf("  module, already in the form    %8.0f files/s  faster than own floor %.2f x\n", n / Median(already),
           RatioMedian(own, already));
    fs::remove_all("tree");
}

// Peak memory of fresh processes whose module converts a 1 MiB and a
// 64 MiB file.
static void Memory(const char *self)
{
    long peak[2];
    const size_t sizes[2] = {(size_t)1 << 20, (size_t)64 << 20};
    for (int i = 0; i < 2; i++) {
        SaveFile("rss.txt", Text(sizes[i], "\n", 4));
        peak[i] = ChildPeakKiB({self, "--convert-once", "rss.txt"});
    }
    fs::remove("rss.txt");
    printf("peak working set of a process whose module converts one file to CR LF:\n");
    printf("  1 MiB file %6ld KiB, 64 MiB file %6ld KiB (difference %ld KiB)\n", peak[0], peak[1], peak[1] - peak[0]);
}

int main(int argc, char **argv)
{
    LoadTheModule();
    if (argc == 3 && strcmp(argv[1], "--convert-once") == 0) {
        RunModule({argv[2]}, 2);
        TellPeak();
        return 0;
    }
    // Medians and quartiles need one repetition at least.
    int repetitions = argc > 1 ? std::max(1, atoi(argv[1])) : 5;
    printf("the %d-bit module\n", (int)sizeof(void *) * 8);
    BlockSizes(repetitions);
    BigFile(repetitions);
    BinaryCheck(repetitions);
    Tree(repetitions);
    Memory(argv[0]);
    UnloadWideModule(Module);
    return 0;
}
