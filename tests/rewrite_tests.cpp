// The in-place rewrite: content, time stamps, and files it must not touch.
#include "engine/engine.h"
#include "far1/settings.h"
#include "far1/walk.h"
#include "support.h"

#include <gtest/gtest.h>

#include <chrono>

#ifndef _WIN32
#include <sys/stat.h>
#endif

namespace {

struct ModeCase {
    const char *name;
    DWORD mode;
    std::string in, out;
};

const ModeCase ModeCases[] = {
    {"ToLf", ModeToLf, "one\r\ntwo\rthree\n\rfour\n", "one\ntwo\nthree\nfour\n"},
    {"ToCrLf", ModeToCrLf, "one\ntwo\r\nthree\r", "one\r\ntwo\r\nthree\r\n"},
    {"AlreadyLf", ModeToLf, "one\ntwo\n", "one\ntwo\n"},
    {"AlreadyCrLf", ModeToCrLf, "one\r\ntwo\r\n", "one\r\ntwo\r\n"},
    {"Empty", ModeToCrLf, "", ""},
};

void PrintTo(const ModeCase &c, std::ostream *os)
{
    *os << c.name;
}

class Rewrite : public ::testing::TestWithParam<ModeCase> {};

TEST_P(Rewrite, ConvertsInPlaceKeepingTimeStamps)
{
    const ModeCase &c = GetParam();
    std::string path = PathIn(Scratch(), "notes.txt");
    WriteBytes(path, c.in);
    Backdate(path);
    FileTimes before = TimesOf(path);

    Settings.ConvertMode = c.mode;
    RewriteFile(path.c_str());

    EXPECT_EQ(ReadBytes(path), c.out);
    FileTimes after = TimesOf(path);
    EXPECT_TRUE(SameTime(after.write, before.write));
    EXPECT_TRUE(SameTime(after.creation, before.creation));
    EXPECT_EQ(CountTemporaries(), 0);
}

INSTANTIATE_TEST_SUITE_P(Modes, Rewrite, ::testing::ValuesIn(ModeCases),
                         [](const ::testing::TestParamInfo<ModeCase> &info) { return info.param.name; });

// Runs a rewrite that must refuse its path: it returns at once and leaves
// no temporary.
void RewriteRefused(const std::string &path)
{
    auto start = std::chrono::steady_clock::now();
    Settings.ConvertMode = ModeToLf;
    RewriteFile(path.c_str());
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
    EXPECT_EQ(CountTemporaries(), 0);
}

TEST(RewriteRefuses, FileHeldOpenByAnother)
{
    std::string path = PathIn(Scratch(), "held.txt");
    WriteBytes(path, "a\r\nb\r\n");
    HANDLE holder = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    RewriteRefused(path);
    CloseHandle(holder);
    EXPECT_EQ(ReadBytes(path), "a\r\nb\r\n");
}

TEST(RewriteRefuses, Directory)
{
    std::string dir = PathIn(Scratch(), "folder");
    MakeFolder(dir);
    RewriteRefused(dir);
    EXPECT_TRUE(IsFolder(dir));
}

TEST(RewriteRefuses, MissingFile)
{
    RewriteRefused(PathIn(Scratch(), "absent.txt"));
    EXPECT_FALSE(Exists(PathIn(Scratch(), "absent.txt")));
}

// A path past the 259-character limit is refused whole, not cut short into
// the name of some other file.
TEST(RewriteRefuses, PathTooLong)
{
    std::string dir = Scratch();
    std::string path = PathIn(dir, std::string(MAX_PATH, 'n'));
    RewriteRefused(path);
#ifndef _WIN32
    std::string shortName = PathIn(dir, "n");
    std::string longName = PathIn(dir, std::string(MAX_PATH - dir.size() - 1, 'n'));
    ASSERT_EQ(longName.size(), MAX_PATH);
    WriteBytes(shortName, "short\r\n");
    WriteBytes(longName, "long\r\n");
    RewriteRefused(longName);
    EXPECT_EQ(ReadBytes(longName), "long\r\n");
    EXPECT_EQ(ReadBytes(shortName), "short\r\n");
#endif
}

#ifndef _WIN32
TEST(RewriteRefuses, Fifo)
{
    std::string path = PathIn(Scratch(), "pipe");
    ASSERT_EQ(mkfifo(path.c_str(), 0600), 0);
    RewriteRefused(path);
    struct stat info;
    ASSERT_EQ(stat(path.c_str(), &info), 0);
    EXPECT_TRUE(S_ISFIFO(info.st_mode));
}
#endif

} // namespace
