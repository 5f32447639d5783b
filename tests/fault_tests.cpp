// Faults under the walk and the rewrite, natively: reads and writes that
// fail part-way, a real write refused by a file-size limit, a source that
// vanishes or is locked after the listing, sources that are no regular
// file, a working directory where no temporary can be made or from which
// the move would cross file systems. Whatever fails, the source stays
// byte-identical with its time stamps, no temporary is left, the run
// reports why, and the walk goes on with the next entry.
#include "engine/engine.h"
#include "far1/services.h"
#include "quillhost/standin.h"
#include "far1/settings.h"
#include "support.h"
#include "far1/walk.h"

#include <gtest/gtest.h>

#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

// The link wraps the platform's ReadFile and WriteFile with these; a count
// above zero makes that many calls succeed and the next one fail. Another
// program may also write to a file right before the module's last look at
// it (the wrapped GetFileAttributesExA): it writes the same bytes, so only
// the file's time tells.
static int ReadsBeforeFault, WritesBeforeFault;
static bool RewrittenBeforeTheLastLook;

extern "C" BOOL __real_ReadFile(HANDLE, void *, DWORD, DWORD *, void *);
extern "C" BOOL __real_GetFileAttributesExA(const char *, GET_FILEEX_INFO_LEVELS, void *);
extern "C" BOOL __real_WriteFile(HANDLE, const void *, DWORD, DWORD *, void *);

static bool FaultDue(int &countdown)
{
    return countdown > 0 && --countdown == 0;
}

extern "C" BOOL __wrap_ReadFile(HANDLE file, void *buffer, DWORD size, DWORD *got, void *ov)
{
    if (FaultDue(ReadsBeforeFault)) {
        *got = 0;
        return 0;
    }
    return __real_ReadFile(file, buffer, size, got, ov);
}

extern "C" BOOL __wrap_GetFileAttributesExA(const char *path, GET_FILEEX_INFO_LEVELS level, void *data)
{
    if (RewrittenBeforeTheLastLook) {
        RewrittenBeforeTheLastLook = false;
        std::string native = NativeOf(path);
        WriteBytes(native, ReadBytes(native));
        struct timespec later[2] = {{0, UTIME_OMIT}, {time(nullptr) + 5, 0}};
        utimensat(AT_FDCWD, native.c_str(), later, 0);
    }
    return __real_GetFileAttributesExA(path, level, data);
}

extern "C" BOOL __wrap_WriteFile(HANDLE file, const void *buffer, DWORD size, DWORD *put, void *ov)
{
    if (FaultDue(WritesBeforeFault)) {
        *put = size / 2;
        return 0;
    }
    return __real_WriteFile(file, buffer, size, put, ov);
}

namespace {

const std::string Original = [] {
    std::string text;
    for (int i = 0; i < 900; i++)
        text += "line\r\n";
    return text;
}();

// The working directory for faults of the place temporaries are made in.
struct WorkingDirectory {
    std::string saved;
    void MoveTo(const std::string &dir)
    {
        saved = std::filesystem::current_path().string();
        ASSERT_EQ(chdir(dir.c_str()), 0) << dir;
    }
    void Restore()
    {
        if (!saved.empty()) {
            ASSERT_EQ(chdir(saved.c_str()), 0);
        }
        saved.clear();
    }
};

WorkingDirectory Working;
int LockHolder = -1;
struct rlimit SavedSizeLimit;

// One fault: how it is set up in the folder (the victim is the folder's
// first entry, "a-victim"), armed and disarmed, what the run reports of the
// victim (the proof that the fault was met; LeftAlone: nothing, Converted:
// the fault is one the rewrite works around), and whether the rest of the
// walk can still convert.
struct Fault {
    const char *name;
    void (*prepare)(const std::string &victim);
    void (*arm)();
    Outcome victim;
    bool othersConvert;
    bool needsAnotherFileSystem = false; // the working directory on /dev/shm
    bool rewrittenByAnother = false;     // the same bytes, a later time
};

void PrintTo(const Fault &f, std::ostream *os)
{
    *os << f.name;
}

void TextVictim(const std::string &victim)
{
    WriteBytes(victim, Original);
    Backdate(victim);
}

void NoArming() {}

void LowerSizeLimit()
{
    getrlimit(RLIMIT_FSIZE, &SavedSizeLimit);
    struct rlimit lowered = SavedSizeLimit;
    lowered.rlim_cur = 3000;
    signal(SIGXFSZ, SIG_IGN);
    setrlimit(RLIMIT_FSIZE, &lowered);
}

std::string ShmFolder()
{
    return "/dev/shm/quillmere-faults-" + std::to_string(getpid());
}

bool SameFileSystem(const std::string &a, const std::string &b)
{
    struct stat first, second;
    return stat(a.c_str(), &first) == 0 && stat(b.c_str(), &second) == 0 && first.st_dev == second.st_dev;
}

const Fault Faults[] = {
    {"FirstReadFails", TextVictim, [] { ReadsBeforeFault = 1; }, Unreadable, true},
    {"ReadFailsPartWay", TextVictim, [] { ReadsBeforeFault = 3; }, Unreadable, true},
    {"FirstWriteFails", TextVictim, [] { WritesBeforeFault = 1; }, Unwritable, true},
    {"WriteFailsPartWay", TextVictim, [] { WritesBeforeFault = 2; }, Unwritable, true},
    {"LastWriteFails", TextVictim, [] { WritesBeforeFault = 4; }, Unwritable, true},
    // A real write refused by the file system once the file is too big;
    // the small file after it still fits.
    {"FileSizeLimitReached", TextVictim, LowerSizeLimit, Unwritable, true},
    {"SourceVanishesAfterListing", TextVictim,
     [] {
         Host.afterListing = [](const std::string &dir) { unlink((NativeOf(dir) + "/a-victim").c_str()); };
     },
     NameUnusable, true},
    {"SourceLockedByAnotherHolder", TextVictim,
     [] {
         Host.afterListing = [](const std::string &dir) {
             LockHolder = open((NativeOf(dir) + "/a-victim").c_str(), O_RDONLY);
             flock(LockHolder, LOCK_EX);
         };
     },
     InUse, true},
    {"SourceIsADirectory", [](const std::string &victim) { MakeFolder(victim); }, [] { Settings.ProcessSubDir = 0; },
     LeftAlone, true},
    {"SourceIsAFifo", [](const std::string &victim) { mkfifo(victim.c_str(), 0600); }, NoArming, Unreadable, true},
    {"SourceIsADevice", [](const std::string &victim) { symlink("/dev/zero", victim.c_str()); }, NoArming, ALink,
     true},
    {"ChangedWhileConverting", TextVictim, [] { RewrittenBeforeTheLastLook = true; }, ChangedMeanwhile, true, false,
     true},
    {"WorkingDirectoryNotWritable", TextVictim, [] { Working.MoveTo("/proc"); }, Unwritable, false},
    // The temporary cannot be moved across file systems, so the file is
    // converted through one made in its own folder.
    {"WorkingDirectoryOnAnotherFileSystem", TextVictim,
     [] {
         MakeFolder(ShmFolder());
         Working.MoveTo(ShmFolder());
     },
     Converted, true, true},
};

class WalkUnderFault : public ::testing::TestWithParam<Fault> {
protected:
    PluginStartupInfo info;

    void SetUp() override
    {
        ResetHost("");
        info = StartupInfoFor("Software\\QuillmereFaults");
        HostInfo = info;
    }

    void TearDown() override { Disarm(); }

    // Undoes every fault; the test calls it before it looks at the files.
    void Disarm()
    {
        ReadsBeforeFault = WritesBeforeFault = 0;
        RewrittenBeforeTheLastLook = false;
        Host.afterListing = nullptr;
        setrlimit(RLIMIT_FSIZE, &SavedSizeLimit);
        Working.Restore();
        std::filesystem::remove_all(ShmFolder());
        if (LockHolder >= 0)
            close(LockHolder);
        LockHolder = -1;
    }
};

struct Snapshot {
    std::string bytes;
    FileTimes times;
    bool regular;
};

Snapshot Take(const std::string &path)
{
    struct stat info;
    bool regular = lstat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
    return Snapshot{regular ? ReadBytes(path) : "", regular ? TimesOf(path) : FileTimes{}, regular};
}

TEST_P(WalkUnderFault, LeavesTheVictimAsItWasAndGoesOn)
{
    const Fault &f = GetParam();
    getrlimit(RLIMIT_FSIZE, &SavedSizeLimit);
    std::string dir = Scratch();
    if (f.needsAnotherFileSystem && SameFileSystem(dir, "/dev/shm"))
        GTEST_SKIP() << "/dev/shm is on the same file system as " << dir;
    std::string victim = PathIn(dir, "a-victim"), other = PathIn(dir, "b-other.txt");
    f.prepare(victim);
    WriteBytes(other, "x\r\ny\r\n");
    Snapshot before = Take(victim);
    int temporariesBefore = CountTemporaries();

    Settings.ConvertMode = ModeToLf;
    Settings.ProcessSubDir = 1;
    Unconverted.count = 0;
    std::string hostDir = HostPath(dir), parent = HostPath(std::filesystem::current_path().string());
    f.arm();
    ProcessEntry(parent.c_str(), PanelItem("files", hostDir).FindData);
    if (Settings.ProcessSubDir == 0)
        for (const char *name : {"a-victim", "b-other.txt"})
            ProcessEntry(hostDir.c_str(), PanelItem(name, HostPath(PathIn(dir, name))).FindData);
    bool countersRanOut = ReadsBeforeFault == 0 && WritesBeforeFault == 0 && !RewrittenBeforeTheLastLook;
    EXPECT_EQ(CountTemporaries(), 0) << "in the working directory of the fault";
    Disarm();

    EXPECT_TRUE(countersRanOut) << "the fault was never met";
    size_t victimReported = f.victim == LeftAlone || f.victim == Converted ? 0 : 1;
    ASSERT_EQ(Unconverted.count, victimReported + (f.othersConvert ? 0u : 1u));
    if (victimReported) {
        EXPECT_EQ(std::string(Unconverted.first[0].path.text), HostPath(victim));
        EXPECT_EQ(Unconverted.first[0].why, f.victim);
    }
    Snapshot after = Take(victim);
    if (Exists(victim)) {
        EXPECT_EQ(after.bytes, f.victim == Converted ? ModelConvert(before.bytes, ModeToLf) : before.bytes);
        EXPECT_EQ(after.regular, before.regular);
        EXPECT_NE(SameTime(after.times.write, before.times.write), f.rewrittenByAnother);
    }
    EXPECT_EQ(ReadBytes(other), f.othersConvert ? "x\ny\n" : "x\r\ny\r\n");
    EXPECT_EQ(CountTemporaries(), temporariesBefore);
    EXPECT_EQ(Host.listingsHeld, 0);
}

INSTANTIATE_TEST_SUITE_P(Matrix, WalkUnderFault, ::testing::ValuesIn(Faults),
                         [](const ::testing::TestParamInfo<Fault> &info) { return info.param.name; });

} // namespace
