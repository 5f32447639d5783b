// Faults under the wide module's rewrite, in the 64-bit build: reads and
// writes that fail part-way (the link points the module's imports of
// ReadFile, WriteFile and the calls around the move here), a source that
// vanishes or is locked once the panel was read, a source that is a folder,
// another program writing to the file just before the move. Whatever fails, the source
// stays byte-identical with its time stamps, no temporary is left, the
// warning names it with its reason, and the run goes on with the next file.
#include "keyboard_script.h"
#include "wide_support.h"

#include <functional>

// A count above zero makes that many calls succeed and the next one fail.
// A delay makes every write as slow as a slow disk's.
static int ReadsBeforeFault, WritesBeforeFault;
static DWORD WriteDelay;

typedef BOOL(WINAPI *ReadFileCall)(HANDLE, void *, DWORD, DWORD *, OVERLAPPED *);
typedef BOOL(WINAPI *WriteFileCall)(HANDLE, const void *, DWORD, DWORD *, OVERLAPPED *);

static bool FaultDue(int &countdown)
{
    return countdown > 0 && --countdown == 0;
}

// What another program does to a file right before the module's last look
// at it, and the calls that decide whether a crash could lose it.
static std::function<void(const wchar_t *path)> BeforeTheLastLook;
static std::vector<std::string> DiskCalls;

typedef BOOL(WINAPI *AttributesCall)(const wchar_t *, GET_FILEEX_INFO_LEVELS, void *);
typedef BOOL(WINAPI *FlushCall)(HANDLE);
typedef BOOL(WINAPI *MoveCall)(const wchar_t *, const wchar_t *, DWORD);

extern "C" {
extern void *__real___imp_ReadFile, *__real___imp_WriteFile, *__real___imp_GetFileAttributesExW,
    *__real___imp_FlushFileBuffers, *__real___imp_MoveFileExW;

static BOOL WINAPI FaultyRead(HANDLE file, void *buffer, DWORD size, DWORD *got, OVERLAPPED *ov)
{
    if (FaultDue(ReadsBeforeFault)) {
        *got = 0;
        SetLastError(ERROR_READ_FAULT);
        return FALSE;
    }
    return ((ReadFileCall)__real___imp_ReadFile)(file, buffer, size, got, ov);
}

static BOOL WINAPI FaultyWrite(HANDLE file, const void *buffer, DWORD size, DWORD *put, OVERLAPPED *ov)
{
    Sleep(WriteDelay);
    if (FaultDue(WritesBeforeFault)) {
        *put = size / 2;
        SetLastError(ERROR_WRITE_FAULT);
        return FALSE;
    }
    return ((WriteFileCall)__real___imp_WriteFile)(file, buffer, size, put, ov);
}

static BOOL WINAPI LastLook(const wchar_t *path, GET_FILEEX_INFO_LEVELS level, void *data)
{
    if (BeforeTheLastLook)
        BeforeTheLastLook(path);
    BeforeTheLastLook = nullptr;
    return ((AttributesCall)__real___imp_GetFileAttributesExW)(path, level, data);
}

static BOOL WINAPI NotedFlush(HANDLE file)
{
    DiskCalls.push_back("flush");
    return ((FlushCall)__real___imp_FlushFileBuffers)(file);
}

static BOOL WINAPI NotedMove(const wchar_t *from, const wchar_t *to, DWORD flags)
{
    DiskCalls.push_back(flags & MOVEFILE_WRITE_THROUGH ? "move written through" : "move");
    return ((MoveCall)__real___imp_MoveFileExW)(from, to, flags);
}

void *__wrap___imp_ReadFile = (void *)FaultyRead, *__wrap___imp_WriteFile = (void *)FaultyWrite,
     *__wrap___imp_GetFileAttributesExW = (void *)LastLook, *__wrap___imp_FlushFileBuffers = (void *)NotedFlush,
     *__wrap___imp_MoveFileExW = (void *)NotedMove;
}

namespace {

// Large enough for several of the module's blocks: five writes to LF.
const std::string Original = [] {
    std::string text;
    for (int i = 0; i < 500000; i++)
        text += "line\r\n";
    return text;
}();

HANDLE LockHolder = INVALID_HANDLE_VALUE;

struct Fault {
    const char *name;
    std::function<void(const std::wstring &victim)> prepare; // once the panel was read
    std::function<void()> arm;
    const char *named; // the victim's line in the warning; null: not named
    bool victimStays;  // byte for byte (and what another program added)
    std::string added = "";
};

void PrintTo(const Fault &f, std::ostream *os)
{
    *os << f.name;
}

void NothingMore(const std::wstring &) {}

// A reason takes at most half the line.
const char *const CouldNotWrite = "a-victim: could not be written (disk full ";

const Fault Faults[] = {
    {"FirstReadFails", NothingMore, [] { ReadsBeforeFault = 1; }, "a-victim: could not be read", true},
    {"ReadFailsPartWay", NothingMore, [] { ReadsBeforeFault = 3; }, "a-victim: could not be read", true},
    {"FirstWriteFails", NothingMore, [] { WritesBeforeFault = 1; }, CouldNotWrite, true},
    {"WriteFailsPartWay", NothingMore, [] { WritesBeforeFault = 2; }, CouldNotWrite, true},
    {"LastWriteFails", NothingMore, [] { WritesBeforeFault = 5; }, CouldNotWrite, true},
    {"SourceVanishesOnceListed", [](const std::wstring &victim) { DeleteFileW(Long(victim).c_str()); }, [] {},
     "a-victim: not the file listed", false},
    {"SourceLockedByAnotherHolder",
     [](const std::wstring &victim) {
         LockHolder = CreateFileW(Long(victim).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
     },
     [] {}, "a-victim: in use by another program", true},
    {"SourceIsAFolder",
     [](const std::wstring &victim) {
         DeleteFileW(Long(victim).c_str());
         CreateDirectoryW(Long(victim).c_str(), nullptr);
     },
     [] {}, nullptr, false},
    {"ChangedWhileConverting", NothingMore,
     [] {
         BeforeTheLastLook = [](const wchar_t *path) {
             HANDLE file = CreateFileW(path, FILE_APPEND_DATA, 0, nullptr, OPEN_EXISTING, 0, nullptr);
             DWORD put;
             WriteFile(file, "more\r\n", 6, &put, nullptr);
             CloseHandle(file);
         };
     },
     "a-victim: changed while converting", true, "more\r\n"},
};

class WideUnderFault : public ::testing::TestWithParam<Fault> {
protected:
    void TearDown() override
    {
        ReadsBeforeFault = WritesBeforeFault = 0;
        BeforeTheLastLook = nullptr;
        if (LockHolder != INVALID_HANDLE_VALUE)
            CloseHandle(LockHolder);
        LockHolder = INVALID_HANDLE_VALUE;
    }
};

TEST_P(WideUnderFault, LeavesTheVictimAsItWasAndGoesOn)
{
    const Fault &f = GetParam();
    std::wstring root = Root(), victim = root + L"\\a-victim", other = root + L"\\b-other.txt";
    Put(victim, Original);
    BackdateAt(victim);
    Put(other, "x\r\ny\r\n");
    FileTimes before = TimesAt(victim);
    LoadModule(root);
    Wide.selection = {"a-victim", "b-other.txt"};
    Wide.pickRadio = 1;
    Wide.subdirs = 0;
    ReadWidePanel();
    f.prepare(victim);
    f.arm();
    PickMenuEntry();
    bool countersRanOut = ReadsBeforeFault == 0 && WritesBeforeFault == 0 && !BeforeTheLastLook;
    TearDown();

    EXPECT_TRUE(countersRanOut) << "the fault was never met";
    std::vector<std::string> warning;
    if (f.named)
        warning = {Title, "Not converted: 1", f.named};
    EXPECT_EQ(Wide.warning, warning);
    if (f.victimStays) {
        EXPECT_TRUE(Get(victim) == Original + f.added) << "the victim is not as it was";
        EXPECT_TRUE(f.added.size() || SameTime(TimesAt(victim).write, before.write));
    }
    EXPECT_EQ(Get(other), "x\ny\n");
    EXPECT_EQ(TemporariesBelow(Narrow(root)), 0);
}

INSTANTIATE_TEST_SUITE_P(Matrix, WideUnderFault, ::testing::ValuesIn(Faults),
                         [](const ::testing::TestParamInfo<Fault> &info) { return info.param.name; });

// A crash of the system right after the move finds the file old or new,
// never empty: the converted data reaches the disk before the temporary
// takes the file's place, and the move itself is written through.
TEST(WideDisk, TheDataIsOnTheDiskBeforeTheMove)
{
    std::wstring root = Root();
    Put(root + L"\\f.txt", "a\r\nb\r\n");
    LoadModule(root);
    Wide.selection = {"f.txt"};
    Wide.pickRadio = 1;
    DiskCalls.clear();
    PickMenuEntry();
    EXPECT_EQ(Get(root + L"\\f.txt"), "a\nb\n");
    EXPECT_EQ(DiskCalls, std::vector<std::string>({"flush", "move written through"}));
}

struct InFileEscape {
    const char *name;
    int answer; // to "Stop converting?": 0 yes, 1 no
};

void PrintTo(const InFileEscape &c, std::ostream *out)
{
    *out << c.name;
}

class EscapeInALargeFile : public ::testing::TestWithParam<InFileEscape> {};

// On a slow disk a file of 24 MiB takes about a second and a half; Esc is
// looked at inside it. Stopping leaves it as it was, with no temporary;
// going on shows how much of it was read.
TEST_P(EscapeInALargeFile, StopsInsideItOnlyWhenTheUserSaysSo)
{
    const InFileEscape &c = GetParam();
    std::string text;
    while (text.size() < (24u << 20))
        text += "a line of a large file\r\n";
    std::wstring root = Root(), file = root + L"\\large.txt";
    Put(file, text);
    LoadModule(root);
    Wide.selection = {"large.txt"};
    Wide.pickRadio = 1;
    Wide.stopAnswer = c.answer;
    EscapeOnceDone = 0;
    WriteDelay = 30;
    ULONGLONG started = GetTickCount64();
    PickMenuEntry();
    ULONGLONG took = GetTickCount64() - started;
    WriteDelay = 0;
    EscapeOnceDone = -1;

    EXPECT_EQ(Wide.questions.size(), 1u);
    EXPECT_TRUE(Wide.warning.empty());
    EXPECT_EQ(TemporariesBelow(Narrow(root)), 0);
    bool read = false;
    for (const std::vector<std::string> &box : Wide.boxes)
        read = read || (box.size() == 5 && box[4].rfind("This file: ", 0) == 0);
    if (c.answer == 0) {
        EXPECT_TRUE(Get(file) == text) << "a stopped file is not as it was";
        EXPECT_LT(took, 1000u);
    } else {
        EXPECT_TRUE(Get(file) == ModelConvert(text, 0)) << "the file was not converted";
        EXPECT_TRUE(read) << "no box told how much of the file was read";
    }
}

INSTANTIATE_TEST_SUITE_P(Far3, EscapeInALargeFile, ::testing::Values(InFileEscape{"Yes", 0}, InFileEscape{"No", 1}),
                         [](const ::testing::TestParamInfo<InFileEscape> &info) { return std::string(info.param.name); });

} // namespace
