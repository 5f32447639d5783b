// What a run leaves alone, and how it says so: files that cannot be
// converted soundly in place, names that reach the module changed, and
// failures, each named in the one warning at the end of the run; and what
// a converted file keeps of itself.
#include "run/messages.h"
#include "module_fixture.h"

#include <filesystem>
#include <functional>

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace fs = std::filesystem;

namespace {

void MakeHardLink(const std::string &target, const std::string &link)
{
#ifdef _WIN32
    ASSERT_TRUE(CreateHardLinkA(link.c_str(), target.c_str(), nullptr));
#else
    ASSERT_EQ(::link(target.c_str(), link.c_str()), 0);
#endif
}

// A folder on another volume than the working directory: /dev/shm, under
// Wine through drive Z:, where Wine cannot tell volumes apart itself.
// Empty when it is no other file system.
std::string OtherVolume()
{
#ifdef _WIN32
    std::string dir = "Z:\\dev\\shm\\quillmere-" + std::to_string(GetCurrentProcessId());
#else
    struct stat here, there;
    if (stat("/dev/shm", &there) != 0 || stat(".", &here) != 0 || here.st_dev == there.st_dev)
        return "";
    std::string dir = "/dev/shm/quillmere-" + std::to_string(getpid());
#endif
    std::error_code error;
    fs::create_directories(dir, error);
    return error ? "" : dir;
}

struct Case;

class Unconverted : public Module, public ::testing::WithParamInterface<Case> {
public:
    using Module::dir;
    using Module::File;
    HANDLE held = INVALID_HANDLE_VALUE;

protected:
    void TearDown() override
    {
        if (held != INVALID_HANDLE_VALUE)
            CloseHandle(held);
        if (dir.find("quillmere-") != std::string::npos)
            fs::remove_all(dir);
        Module::TearDown();
    }
};

struct Case {
    const char *name;
    // Makes the files in the panel's folder; a non-empty result skips the
    // case, saying why.
    std::function<std::string(Unconverted &, const std::string &dir)> prepare;
    std::vector<std::string> selection;
    std::vector<std::string> converted, untouched; // files, by name in the panel's folder
    DWORD keeps;                                   // attributes every converted or untouched file keeps
    std::vector<std::string> warning;              // lines after the count; empty: no warning
};

const std::string Other = "other\r\n";

// The short name "Āb.txt" has here, which the cases name "(short)".
std::string ShortOfTheLookAlike;

#ifdef _WIN32

std::string SameButForTheName(Unconverted &m, const std::string &dir, bool handShortName)
{
    std::wstring wide = std::wstring(dir.begin(), dir.end()) + L"\\\u0100b.txt";
    HANDLE file = CreateFileW(wide.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD put;
    WriteFile(file, CrLf.data(), (DWORD)CrLf.size(), &put, nullptr);
    FILETIME creation, access, write;
    GetFileTime(file, &creation, &access, &write);
    CloseHandle(file);
    HANDLE twin = CreateFileA(m.File("Ab.txt", CrLf).c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    SetFileTime(twin, &creation, &access, &write);
    CloseHandle(twin);
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(wide.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE || !found.cAlternateFileName[0])
        return "this file system keeps no short names";
    FindClose(search);
    const wchar_t *alternate = found.cAlternateFileName;
    ShortOfTheLookAlike.assign(alternate, alternate + wcslen(alternate));
    Host.handedAs["Ab.txt"] = {"Ab.txt", handShortName ? ShortOfTheLookAlike : ""};
    return "";
}
#endif

const Case Cases[] = {
    {"ReadOnly",
     [](Unconverted &m, const std::string &) {
         SetFileAttributesA(m.File("r.txt", CrLf).c_str(), FILE_ATTRIBUTE_READONLY);
         return "";
     },
     {"r.txt"}, {}, {"r.txt"}, FILE_ATTRIBUTE_READONLY, {"r.txt: read-only"}},
    {"HiddenAndSystem",
     [](Unconverted &m, const std::string &) {
         std::string path = m.File("h.txt", CrLf);
         return SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM) ? "" : "no hidden attribute here";
     },
     {"h.txt"}, {"h.txt"}, {}, FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM, {}},
#ifndef _WIN32
    // Wine 8 makes no symbolic links. Read through the link, the target's
    // bytes stay as they were too.
    {"SymbolicLink",
     [](Unconverted &m, const std::string &dir) {
         m.File("target.txt", CrLf);
         fs::create_symlink(PathIn(dir, "target.txt"), PathIn(dir, "link.txt"));
         return "";
     },
     {"link.txt"}, {}, {"link.txt"}, FILE_ATTRIBUTE_REPARSE_POINT, {"link.txt: a link"}},
#endif
    {"HardLinked",
     [](Unconverted &m, const std::string &dir) {
         MakeHardLink(m.File("one.txt", CrLf), PathIn(dir, "two.txt"));
         return "";
     },
     {"one.txt"}, {}, {"one.txt", "two.txt"}, 0, {"one.txt: has other hard links"}},
    {"OnAnotherVolume",
     [](Unconverted &m, const std::string &) {
         m.dir = OtherVolume();
         Host.curDir = HostPath(m.dir);
         if (m.dir.empty())
             return "/dev/shm is no other file system here";
         m.File("far.txt", CrLf);
         return "";
     },
     {"far.txt"}, {"far.txt"}, {}, 0, {}},
    {"HeldOpenByAnother",
     [](Unconverted &m, const std::string &) {
         std::string path = m.File("held.txt", CrLf);
         m.held = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
         return "";
     },
     {"held.txt"}, {}, {"held.txt"}, 0, {"held.txt: in use by another program"}},
    // A name the host's code page cannot show arrives with "?"; its short
    // name, where the volume keeps one, still leads to the file.
    {"QuestionMarksWithAShortName",
     [](Unconverted &m, const std::string &) {
         m.File("PRIVET~1.TXT", CrLf);
         Host.handedAs["PRIVET~1.TXT"] = {"??????.txt", "PRIVET~1.TXT"};
         return "";
     },
     {"PRIVET~1.TXT"}, {"PRIVET~1.TXT"}, {}, 0, {}},
    {"QuestionMarksAlone",
     [](Unconverted &m, const std::string &) {
         m.File("PRIVET~1.TXT", CrLf);
         Host.handedAs["PRIVET~1.TXT"] = {"??????.txt", ""};
         return "";
     },
     {"PRIVET~1.TXT"}, {}, {"PRIVET~1.TXT"}, 0, {"??????.txt: name not usable"}},
    // The selected file arrives under a look-alike that names another,
    // unselected file, which must stay as it is.
    {"LookAlikeOfAnotherFile",
     [](Unconverted &m, const std::string &) {
         m.File("Ab.txt", Other);
         m.File("Xb.txt", CrLf);
         Host.handedAs["Xb.txt"] = {"Ab.txt", ""};
         return "";
     },
     {"Xb.txt"}, {}, {"Ab.txt", "Xb.txt"}, 0, {"Ab.txt: name not usable"}},
    {"LookAlikeWithAShortName",
     [](Unconverted &m, const std::string &) {
         m.File("Ab.txt", Other);
         m.File("Xb.txt", CrLf);
         Host.handedAs["Xb.txt"] = {"Ab.txt", "Xb.txt"};
         return "";
     },
     {"Xb.txt"}, {"Xb.txt"}, {"Ab.txt"}, 0, {}},
#ifdef _WIN32
    // "Āb.txt" reaches the module as "Ab.txt", the name of an unselected
    // file that agrees with it on size and times: only the short name of
    // the selected one leads to it; without one, neither is converted.
    {"LookAlikeThatAgreesOnEverything",
     [](Unconverted &m, const std::string &dir) { return SameButForTheName(m, dir, true); },
     {"Ab.txt"}, {"(short)"}, {"Ab.txt"}, 0, {}},
    {"LookAlikeThatAgreesOnEverythingWithoutAShortName",
     [](Unconverted &m, const std::string &dir) { return SameButForTheName(m, dir, false); },
     {"Ab.txt"}, {}, {"Ab.txt", "(short)"}, 0, {"Ab.txt: name not usable"}},
#endif
    // Today's host hands a name too long for the field with no terminator.
    {"UnterminatedName",
     [](Unconverted &, const std::string &) { return ""; },
     {std::string(300, 'n')}, {}, {}, 0,
     {std::string(15, 'n') + "..." + std::string(31, 'n') + ": path too long"}},
    {"FolderNotListed",
     [](Unconverted &m, const std::string &dir) {
         MakeFolder(PathIn(dir, "d"));
         m.File("d/x.txt", CrLf);
         Host.listingFails = true;
         return "";
     },
     {"d"}, {}, {"d/x.txt"}, 0, {"d: folder could not be listed"}},
    {"ManyReadOnly",
     [](Unconverted &m, const std::string &) {
         for (char c = 'a'; c <= 'l'; c++)
             SetFileAttributesA(m.File(std::string(1, c), CrLf).c_str(), FILE_ATTRIBUTE_READONLY);
         return "";
     },
     {"a", "b", "c", "d", "e", "f", "g", "h", "i", "j", "k", "l"}, {}, {"a", "l"}, FILE_ATTRIBUTE_READONLY,
     {"a: read-only", "b: read-only", "c: read-only", "d: read-only", "e: read-only", "f: read-only",
      "g: read-only", "h: read-only", "i: read-only", "j: read-only", "and 2 more"}},
};

void PrintTo(const Case &c, std::ostream *os)
{
    *os << c.name;
}

TEST_P(Unconverted, LeftAsItWasAndNamedInTheWarning)
{
    const Case &c = GetParam();
    std::string skip = c.prepare(*this, dir);
    if (!skip.empty())
        GTEST_SKIP() << skip;
    Start();
    Host.selection = c.selection;
    Host.pickRadio = 1;
    Host.subdirs = 1;
    Run();
    if (held != INVALID_HANDLE_VALUE)
        CloseHandle(held);
    held = INVALID_HANDLE_VALUE;

    auto named = [](const std::string &name) { return name == "(short)" ? ShortOfTheLookAlike : name; };
    for (const std::string &name : c.converted)
        EXPECT_EQ(ReadBytes(PathIn(dir, named(name))), Lf) << name;
    for (const std::string &name : c.untouched)
        EXPECT_NE(ReadBytes(PathIn(dir, named(name))), Lf) << name;
    for (const std::string &name : c.converted)
        EXPECT_EQ(GetFileAttributesA(PathIn(dir, named(name)).c_str()) & c.keeps, c.keeps) << name;
    for (const std::string &name : c.untouched)
        EXPECT_EQ(GetFileAttributesA(PathIn(dir, named(name)).c_str()) & c.keeps, c.keeps) << name;
    std::vector<std::string> expected;
    if (!c.warning.empty()) {
        size_t count = c.warning.back().rfind("and ", 0) == 0 ? c.selection.size() : c.warning.size();
        expected = {Host.messages[MsgTitle], "Not converted: " + std::to_string(count)};
        expected.insert(expected.end(), c.warning.begin(), c.warning.end());
    }
    EXPECT_EQ(Host.warning, expected);
    EXPECT_EQ(CountTemporaries(), 0);
    EXPECT_EQ(CountTemporariesIn(dir, false), 0);
}

INSTANTIATE_TEST_SUITE_P(Table, Unconverted, ::testing::ValuesIn(Cases),
                         [](const ::testing::TestParamInfo<Case> &info) { return info.param.name; });

#ifndef _WIN32
// Natively the access list is the permission bits: a converted file is
// never readable by more users than before, nor by fewer.
TEST_F(Module, ConvertedFilesKeepWhoMayUseThem)
{
    const mode_t modes[] = {0600, 0640, 0604, 0660};
    for (mode_t mode : modes)
        chmod(File("m" + std::to_string(mode), CrLf).c_str(), mode);
    Start();
    for (mode_t mode : modes)
        Host.selection.push_back("m" + std::to_string(mode));
    Host.pickRadio = 1;
    Run();
    for (mode_t mode : modes) {
        struct stat info;
        std::string path = PathIn(dir, "m" + std::to_string(mode));
        ASSERT_EQ(stat(path.c_str(), &info), 0);
        EXPECT_EQ(ReadBytes(path), Lf);
        EXPECT_EQ(info.st_mode & 0777, mode) << path;
    }
}
#endif

} // namespace
