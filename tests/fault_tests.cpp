// Faults injected under the rewrite, natively: reads and writes that fail
// part-way through a file, and a real write refused by a file-size limit.
// Whatever fails, the source stays byte-identical with its time stamps and
// no temporary is left.
#include "engine/engine.h"
#include "settings/settings.h"
#include "support.h"

#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>

// The link wraps the platform's ReadFile and WriteFile with these; a count
// above zero makes that many calls succeed and the next one fail.
static int ReadsBeforeFault, WritesBeforeFault;

extern "C" BOOL __real_ReadFile(HANDLE, void *, DWORD, DWORD *, void *);
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

extern "C" BOOL __wrap_WriteFile(HANDLE file, const void *buffer, DWORD size, DWORD *put, void *ov)
{
    if (FaultDue(WritesBeforeFault)) {
        *put = size / 2;
        return 0;
    }
    return __real_WriteFile(file, buffer, size, put, ov);
}

namespace {

struct Fault {
    const char *name;
    int readsBefore, writesBefore; // 1 = the first call fails
    long sizeLimit;                // bytes a file may grow to, 0 = none
};

void PrintTo(const Fault &f, std::ostream *os)
{
    *os << f.name;
}

const Fault Faults[] = {
    {"FirstReadFails", 1, 0, 0},
    {"ReadFailsPartWay", 3, 0, 0},
    {"FirstWriteFails", 0, 1, 0},
    {"WriteFailsPartWay", 0, 2, 0},
    {"LastWriteFails", 0, 4, 0},
    {"FileSizeLimitReached", 0, 0, 3000},
};

class RewriteUnderFault : public ::testing::TestWithParam<Fault> {};

void RewriteWithSizeLimit(const std::string &path, long limit)
{
    struct rlimit saved;
    getrlimit(RLIMIT_FSIZE, &saved);
    struct rlimit lowered = saved;
    lowered.rlim_cur = (rlim_t)limit;
    signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &lowered), 0);
    RewriteFile(path.c_str());
    setrlimit(RLIMIT_FSIZE, &saved);
}

TEST_P(RewriteUnderFault, LeavesTheSourceAsItWas)
{
    const Fault &f = GetParam();
    std::string path = PathIn(Scratch(), "big.txt");
    std::string original;
    for (int i = 0; i < 900; i++)
        original += "line\r\n";
    WriteBytes(path, original);
    Backdate(path);
    FileTimes before = TimesOf(path);

    Settings.ConvertMode = ModeToLf;
    ReadsBeforeFault = f.readsBefore;
    WritesBeforeFault = f.writesBefore;
    if (f.sizeLimit)
        RewriteWithSizeLimit(path, f.sizeLimit);
    else
        RewriteFile(path.c_str());
    bool faultHappened = ReadsBeforeFault == 0 && WritesBeforeFault == 0;
    ReadsBeforeFault = WritesBeforeFault = 0;

    EXPECT_TRUE(faultHappened);
    EXPECT_EQ(ReadBytes(path), original);
    EXPECT_TRUE(SameTime(TimesOf(path).write, before.write));
    EXPECT_EQ(CountTemporaries(), 0);
}

INSTANTIATE_TEST_SUITE_P(Matrix, RewriteUnderFault, ::testing::ValuesIn(Faults),
                         [](const ::testing::TestParamInfo<Fault> &info) { return info.param.name; });

} // namespace
