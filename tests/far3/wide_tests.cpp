// The wide module driven through the stand-in for today's host, in the
// width of the build: records and flags across the interface, Unicode and
// long names, links in a walked tree, remembered choices, and Esc.
#include "keyboard_script.h"
#include "wide_support.h"
#include "far3/exports.h"
#include "far3/services.h"
#include "tests/hostile_inputs.h"

#include <algorithm>
#include <cstddef>
#include <map>
#include <set>

// The hotkeys of the dialog as last shown, whatever their case; 0 when
// two items share one.
static size_t DistinctHotkeys()
{
    std::set<std::wstring> keys;
    size_t marked = 0;
    for (const DrawnItem &item : Wide.dialogAsShown) {
        std::wstring text = Widen(item.text);
        size_t at = text.find(L'&');
        if (at == std::wstring::npos || at + 1 == text.size())
            continue;
        std::wstring key = text.substr(at + 1, 1);
        CharLowerBuffW(key.data(), 1);
        keys.insert(key);
        marked++;
    }
    return keys.size() == marked ? marked : 0;
}

TEST(WideInterface, RecordsAndFlagsReachTheHostWhole)
{
    LoadModule(Root());
    GlobalInfo global = {};
    global.StructSize = sizeof global;
    GetGlobalInfoW(&global);
    EXPECT_EQ(global.StructSize, sizeof global);
    EXPECT_TRUE(HostMeets(global.MinFarVersion));
    EXPECT_EQ(std::wstring(global.Title), L"Quillmere");
    EXPECT_NE(memcmp(&global.Guid, &MenuGuid, sizeof(GUID)), 0);

    PluginInfo plugin = {};
    plugin.StructSize = sizeof plugin;
    PickMenuEntry(); // the startup record first, as the host does
    GetPluginInfoW(&plugin);
    EXPECT_EQ(plugin.Flags, 0u);
    ASSERT_EQ(plugin.PluginMenu.Count, 1u);
    EXPECT_EQ(memcmp(plugin.PluginMenu.Guids, &MenuGuid, sizeof(GUID)), 0);
    EXPECT_EQ(Narrow(plugin.PluginMenu.Strings[0]), Title);
    EXPECT_EQ(plugin.DiskMenu.Count + plugin.PluginConfig.Count, 0u);

    // Flags above bit 31 and the items' pointer-sized fields, as the host
    // read them from the module's array.
    ASSERT_EQ(Wide.dialogFlags.size(), 16u);
    EXPECT_EQ(Wide.dialogFlags[14], DIF_CENTERGROUP | DIF_DEFAULTBUTTON);
    EXPECT_EQ(Wide.dialogFlags[1], DIF_GROUP | DIF_FOCUS);
    EXPECT_EQ(Wide.dialogFlags[8], DIF_HISTORY);
    EXPECT_EQ(Wide.dialogFlags[10], DIF_BTNNOCLOSE);
    EXPECT_EQ(Wide.dialogAsShown[0].x2, 42);
    EXPECT_EQ(Wide.dialogAsShown[4].text, "Process &subdirectories");
    EXPECT_EQ(Wide.dialogAsShown[5].text, "Convert &binary files too");
    EXPECT_EQ(Wide.dialogAsShown[8].type, DrawnEdit);
    EXPECT_EQ(Wide.dialogAsShown[8].text, "*");
    EXPECT_EQ(Wide.dialogAsShown[9].text, "Use filte&r");
    EXPECT_EQ(Wide.dialogAsShown[1].selected, 1);

    // The Russian catalogue lines up with the English one, and in both
    // languages each item with a hotkey has its own.
    std::vector<std::string> english = Wide.messages;
    EXPECT_EQ(DistinctHotkeys(), 8u);
    LoadModule(Root(), "Russian");
    EXPECT_EQ(Wide.messages.size(), english.size());
    EXPECT_NE(Wide.messages[0], english[0]);
    Wide.close = DialogClose::Escape;
    PickMenuEntry();
    EXPECT_EQ(DistinctHotkeys(), 8u);
}

// Hosts from 3.0.3596 to 3.0.5552 end the startup record before Instance
// and FreeScreen: placed at the end of what may be read, such a record is
// taken without a read past it, and the module works from it.
TEST(WideInterface, AnOlderHostsStartupRecordIsReadNoFurtherThanItsSize)
{
    LoadModule(Root());
    FarStandardFunctions fsf;
    PluginStartupInfo full = WideStartupInfo(L"Z:\\Plugins\\Quillmere\\Quillmere.dll", fsf);
    const size_t older = offsetof(PluginStartupInfo, Instance), page = 4096;
    char *pages = (char *)VirtualAlloc(nullptr, 2 * page, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
    DWORD was;
    ASSERT_TRUE(VirtualProtect(pages + page, page, PAGE_NOACCESS, &was));
    PluginStartupInfo *record = (PluginStartupInfo *)(pages + page - older);
    memcpy((void *)record, &full, older);
    record->StructSize = older;
    SetStartupInfoW(record);
    PluginInfo plugin = {};
    plugin.StructSize = sizeof plugin;
    GetPluginInfoW(&plugin);
    ASSERT_EQ(plugin.PluginMenu.Count, 1u);
    EXPECT_EQ(Narrow(plugin.PluginMenu.Strings[0]), Title);
    VirtualFree(pages, 0, MEM_RELEASE);
}

struct ConversionCase {
    const char *name;
    std::map<std::wstring, std::string> files; // relative path: bytes before
    std::vector<std::wstring> selected;        // names in the panel's folder
    int radio;                                 // 1 to Unix, 2 to Windows
    int subdirs;
    PanelKind panel;
    std::wstring panelFolder; // below the root
    std::map<std::wstring, std::string> after;
    std::vector<std::string> warning;
    void (*prepare)(const std::wstring &root);
    bool listingRepeats;
    std::vector<std::string> stillSelected; // as the host's own operations leave it
};

const std::wstring LongA(120, L'a'), LongB(120, L'b'), LongName = std::wstring(70, L'n') + L".txt";

void MakeReadOnlyAndLinked(const std::wstring &root)
{
    SetFileAttributesW(Long(root + L"\\ro.txt").c_str(), FILE_ATTRIBUTE_READONLY);
    CreateHardLinkW(Long(root + L"\\h2.txt").c_str(), Long(root + L"\\h.txt").c_str(), nullptr);
}

// Another program rewrites a file the panel has read: the name now leads
// to another file than the one the user chose.
void RewriteOnceThePanelIsRead(const std::wstring &root)
{
    ReadWidePanel();
    Put(root + L"\\f.txt", "f\r\nmore\r\n");
}

void MakeTwoReadOnly(const std::wstring &root)
{
    SetFileAttributesW(Long(root + L"\\ro.txt").c_str(), FILE_ATTRIBUTE_READONLY);
    SetFileAttributesW(Long(root + L"\\bad\\y.txt").c_str(), FILE_ATTRIBUTE_READONLY);
}

void WithholdTheFirstItem(const std::wstring &)
{
    Wide.withheldItem = 0;
}

// The user presses Esc in the host's own box while it lists a folder.
void StopTheListing(const std::wstring &)
{
    Wide.listingFails = true;
}

void PrintTo(const ConversionCase &c, std::ostream *out)
{
    *out << c.name;
}

class Conversions : public ::testing::TestWithParam<ConversionCase> {};

TEST_P(Conversions, ConvertWhatTheUserSelected)
{
    const ConversionCase &c = GetParam();
    std::wstring root = Root();
    std::map<std::wstring, FileTimes> before;
    for (const auto &[name, bytes] : c.files) {
        Put(root + L"\\" + name, bytes);
        BackdateAt(root + L"\\" + name);
        before[name] = TimesAt(root + L"\\" + name);
    }
    std::wstring folder = c.panelFolder.empty() ? root : root + L"\\" + c.panelFolder;
    LoadModule(folder);
    for (const std::wstring &name : c.selected)
        Wide.selection.push_back(Narrow(name));
    Wide.pickRadio = c.radio;
    Wide.subdirs = c.subdirs;
    Wide.panel = c.panel;
    Wide.listingRepeats = c.listingRepeats;
    if (c.prepare)
        c.prepare(root);
    PickMenuEntry();
    for (const auto &[name, bytes] : c.after) {
        // Looked at before the test reads the file, which moves its access.
        FileTimes after = TimesAt(root + L"\\" + name);
        EXPECT_EQ(Get(root + L"\\" + name), bytes) << Narrow(name);
        if (bytes == c.files.at(name) || bytes != ModelConvert(c.files.at(name), c.radio == 1 ? 0 : 1))
            continue;
        // A converted file keeps its three time stamps as they were before
        // the run: the module's own reading moves none of them.
        EXPECT_TRUE(SameTime(after.creation, before[name].creation)) << Narrow(name);
        EXPECT_TRUE(SameTime(after.access, before[name].access)) << Narrow(name);
        EXPECT_TRUE(SameTime(after.write, before[name].write)) << Narrow(name);
    }
    EXPECT_EQ(Wide.warning, c.warning);
    EXPECT_EQ(Wide.selection, c.stillSelected);
    // A short run shows the static working box, once.
    EXPECT_EQ(Wide.boxes, std::vector<std::vector<std::string>>({{Title, Working}}));
}

const std::wstring Deep = LongA + L"\\" + LongB;

INSTANTIATE_TEST_SUITE_P(
    Far3, Conversions,
    ::testing::Values(
        ConversionCase{"UnicodeNames",
                       {{L"Привет.txt", "a\r\nb\r\n"}, {L"中文\\名前.txt", "x\r\n"}, {L"left.txt", "l\r\n"}},
                       {L"Привет.txt", L"中文"}, 1, 1, PanelKind::Folder, L"",
                       {{L"Привет.txt", "a\nb\n"}, {L"中文\\名前.txt", "x\n"}, {L"left.txt", "l\r\n"}}, {}, nullptr, false, {}},
        ConversionCase{"PathsOver300CharactersInAWalk",
                       {{Deep + L"\\" + LongName, "a\n"}},
                       {LongA}, 2, 1, PanelKind::Folder, L"",
                       {{Deep + L"\\" + LongName, "a\r\n"}}, {}, nullptr, false, {}},
        ConversionCase{"APanelFolderOver260Characters",
                       {{Deep + L"\\" + LongName, "a\r"}},
                       {LongName}, 1, 0, PanelKind::Folder, Deep,
                       {{Deep + L"\\" + LongName, "a\n"}}, {}, nullptr, false, {}},
        ConversionCase{"FoundFilesByTheirFullPaths",
                       {{L"d\\f.txt", "f\r\n"}},
                       {L"d\\f.txt"}, 1, 0, PanelKind::RealNames, L"",
                       {{L"d\\f.txt", "f\n"}}, {}, nullptr, false, {}},
        ConversionCase{"ReadOnlyAndHardLinkedFilesAreNamed",
                       {{L"ro.txt", "r\r\n"}, {L"h.txt", "h\r\n"}, {L"ok.txt", "o\r\n"}},
                       {L"h.txt", L"ok.txt", L"ro.txt"}, 1, 0, PanelKind::Folder, L"",
                       {{L"ro.txt", "r\r\n"}, {L"h.txt", "h\r\n"}, {L"ok.txt", "o\n"}},
                       {Title, "Not converted: 2", "h.txt: has other hard links", "ro.txt: read-only"},
                       MakeReadOnlyAndLinked, false, {"h.txt", "ro.txt"}},
        ConversionCase{"WhatWasLeftAloneStaysSelected",
                       {{L"a.txt", "a\r\n"}, {L"bad\\y.txt", "y\r\n"}, {L"good\\x.txt", "x\r\n"},
                        {L"pics\\p.png", std::string("\0\r\n", 3)}, {L"ro.txt", "r\r\n"}},
                       {L"a.txt", L"bad", L"good", L"pics", L"ro.txt"}, 1, 1, PanelKind::Folder, L"",
                       {{L"a.txt", "a\n"}, {L"bad\\y.txt", "y\r\n"}, {L"good\\x.txt", "x\n"},
                        {L"pics\\p.png", std::string("\0\r\n", 3)}, {L"ro.txt", "r\r\n"}},
                       {Title, "Not converted: 2", "bad\\y.txt: read-only", "ro.txt: read-only"},
                       MakeTwoReadOnly, false, {"bad", "ro.txt"}},
        ConversionCase{"AFileChangedSinceThePanelWasReadIsNamed",
                       {{L"f.txt", "f\r\n"}, {L"g.txt", "g\r\n"}},
                       {L"f.txt", L"g.txt"}, 1, 0, PanelKind::Folder, L"",
                       {{L"f.txt", "f\r\nmore\r\n"}, {L"g.txt", "g\n"}},
                       {Title, "Not converted: 1", "f.txt: not the file listed"}, RewriteOnceThePanelIsRead, false, {"f.txt"}},
        ConversionCase{"AFileListedTwiceIsConvertedOnce",
                       {{L"d\\f.txt", "a\rb\r"}, {L"d\\e\\g.txt", "g\n"}},
                       {L"d"}, 2, 1, PanelKind::Folder, L"",
                       {{L"d\\f.txt", "a\r\nb\r\n"}, {L"d\\e\\g.txt", "g\r\n"}}, {}, nullptr, true, {}},
        ConversionCase{"AListingTheUserStoppedStopsTheRun",
                       {{L"d\\f.txt", "f\r\n"}, {L"e.txt", "e\r\n"}},
                       {L"d", L"e.txt"}, 1, 1, PanelKind::Folder, L"",
                       {{L"d\\f.txt", "f\r\n"}, {L"e.txt", "e\r\n"}}, {}, StopTheListing, false, {"d", "e.txt"}},
        ConversionCase{"AnItemTheHostDoesNotHandOverIsNamed",
                       {{L"a.txt", "a\r\n"}, {L"b.txt", "b\r\n"}},
                       {L"a.txt", L"b.txt"}, 1, 0, PanelKind::Folder, L"",
                       {{L"a.txt", "a\r\n"}, {L"b.txt", "b\n"}},
                       {Title, "Not converted: 1", "#1: could not be read"}, WithholdTheFirstItem, false, {"a.txt"}},
        ConversionCase{"AFolderWithoutRecursionIsLeftAlone",
                       {{L"d\\f.txt", "f\r\n"}},
                       {L"d"}, 1, 0, PanelKind::Folder, L"",
                       {{L"d\\f.txt", "f\r\n"}}, {}, nullptr, false, {"d"}},
        ConversionCase{"APluginsPanelHasNoFilesOnDisk",
                       {{L"f.txt", "f\r\n"}},
                       {L"f.txt"}, 1, 0, PanelKind::Plugin, L"",
                       {{L"f.txt", "f\r\n"}},
                       {Title, "Nothing was converted: the active panel shows no files on disk."}, nullptr, false, {"f.txt"}}),
    [](const ::testing::TestParamInfo<ConversionCase> &info) { return std::string(info.param.name); });

// The tree comes from make-links.sh: tree/out leads outside it, tree/twin
// to tree/inner. Under Wine, links to folders are seen as links; links to
// files are not (Wine follows them), so those are left to a real Windows.
TEST(WideWalk, NeverLeavesTheTreeThroughALink)
{
    const char *made = getenv("QUILLMERE_LINKS");
    ASSERT_TRUE(made) << "run through ctest, which makes the linked tree";
    std::wstring root = Widen(made);
    LoadModule(root);
    Wide.selection = {"tree"};
    Wide.pickRadio = 1;
    Wide.subdirs = 1;
    PickMenuEntry();
    EXPECT_EQ(Get(root + L"\\tree\\a.txt"), "a\n");
    EXPECT_EQ(Get(root + L"\\tree\\inner\\b.txt"), "b\n");
    EXPECT_EQ(Get(root + L"\\outside\\c.txt"), "c\r\n");
    EXPECT_EQ(Wide.warning, std::vector<std::string>({Title, "Not converted: 2", "tree\\out: a link",
                                                      "tree\\twin: a link"}));
}

TEST(WideSettings, ChoicesAreRememberedUnlessForThisRunOnly)
{
    std::wstring root = Root();
    Put(root + L"\\f.txt", "f\n");
    auto run = [&](int radio, int subdirs, int binaryToo, const char *masks, int useFilter, bool thisRunOnly,
                   DialogClose close) {
        LoadModule(root);
        Wide.selection = {"f.txt"};
        Wide.pickRadio = radio;
        Wide.subdirs = subdirs;
        Wide.binaryToo = binaryToo;
        Wide.typeMasks = masks != nullptr;
        Wide.masks = masks ? masks : "";
        Wide.useFilter = useFilter;
        Wide.thisRunOnly = thisRunOnly;
        Wide.close = close;
        PickMenuEntry();
    };
    auto stored = [&] { return Wide.settings.begin()->second; };
    auto storedMasks = [&] { return Wide.texts.begin()->second.at(L"Masks"); };
    run(2, 1, 1, " *.c;*.txt ", 1, false, DialogClose::Accept);
    EXPECT_EQ(Get(root + L"\\f.txt"), "f\r\n");
    std::map<std::wstring, uint64_t> windowsWithSubdirs = {
        {L"ConvertBinary", 1}, {L"ConvertMode", 1}, {L"ProcessSubDir", 1}, {L"UseFilter", 1}};
    EXPECT_EQ(stored(), windowsWithSubdirs);
    EXPECT_EQ(storedMasks(), L"*.c;*.txt");
    run(1, 0, 0, "*.h", 0, true, DialogClose::Accept);
    EXPECT_EQ(Get(root + L"\\f.txt"), "f\n");
    EXPECT_EQ(stored(), windowsWithSubdirs);
    EXPECT_EQ(storedMasks(), L"*.c;*.txt");
    run(0, -1, -1, nullptr, -1, false, DialogClose::Escape);
    EXPECT_EQ(Wide.dialogAsShown[2].selected, 1); // to Windows
    EXPECT_EQ(Wide.dialogAsShown[4].selected, 1); // subdirectories
    EXPECT_EQ(Wide.dialogAsShown[5].selected, 1); // binary files too
    EXPECT_EQ(Wide.dialogAsShown[8].text, "*.c;*.txt");
    EXPECT_EQ(Wide.dialogAsShown[9].selected, 1); // use filter
    EXPECT_EQ(Get(root + L"\\f.txt"), "f\n");
}

struct EscapeCase {
    const char *name;
    int answer; // to "Stop converting?": 0 yes, 1 no
    bool stops;
    uint64_t confirmEsc; // the host's setting: ask before stopping
};

void PrintTo(const EscapeCase &c, std::ostream *out)
{
    *out << c.name;
}

class EscapeMidRun : public ::testing::TestWithParam<EscapeCase> {};

// A long run: the listing takes a moment, so the box shows progress from
// the first file on; Esc is pressed once ten files are done.
TEST_P(EscapeMidRun, StopsBetweenFilesOnlyWhenTheUserSaysSo)
{
    const EscapeCase &c = GetParam();
    const int count = 800;
    const std::string lf(2048, '\n');
    std::string crlf;
    for (int i = 0; i < 2048; i++)
        crlf += "\r\n";
    std::wstring root = Root();
    for (int i = 0; i < count; i++)
        Put(root + L"\\tree\\f" + std::to_wstring(i) + L".txt", lf);
    LoadModule(root);
    Wide.selection = {"tree"};
    Wide.pickRadio = 2;
    Wide.subdirs = 1;
    Wide.stopAnswer = c.answer;
    Wide.confirmEsc = c.confirmEsc;
    Wide.afterListing = [](const std::string &) { Sleep(600); };
    EscapeOnceDone = 10;
    ULONGLONG started = GetTickCount64();
    PickMenuEntry();
    ULONGLONG took = GetTickCount64() - started;

    int converted = 0;
    for (int i = 0; i < count; i++) {
        std::string bytes = Get(root + L"\\tree\\f" + std::to_wstring(i) + L".txt");
        ASSERT_TRUE(bytes == lf || bytes == crlf) << "f" << i << " is neither as it was nor converted";
        converted += bytes == crlf;
    }
    EXPECT_EQ(Wide.questions.size(), c.confirmEsc ? 1u : 0u);
    if (c.stops) {
        EXPECT_GE(converted, 10);
        EXPECT_LT(converted, count);
    } else {
        EXPECT_EQ(converted, count);
    }
    EXPECT_TRUE(Wide.warning.empty());

    // The static box first, then progress, at most about ten times a second.
    ASSERT_GE(Wide.boxes.size(), c.stops ? 2u : 3u);
    EXPECT_EQ(Wide.boxes[0], std::vector<std::string>({Title, Working}));
    EXPECT_LE(Wide.boxes.size() - 1, took / 100 + 2);
    for (size_t i = 1; i < Wide.boxes.size(); i++) {
        ASSERT_EQ(Wide.boxes[i].size(), 4u);
        EXPECT_EQ(Wide.boxes[i][2].rfind("Files done: ", 0), 0u) << Wide.boxes[i][2];
    }
    // The taskbar: on with the first progress shown, against the 800 files
    // the listing gave, and off again at the end, flashed.
    ASSERT_GE(Wide.taskbar.size(), 4u);
    EXPECT_EQ(Wide.taskbar.front(), "state 2");
    EXPECT_EQ(Wide.taskbar[1].substr(Wide.taskbar[1].find('/')), "/800");
    EXPECT_EQ(std::vector<std::string>(Wide.taskbar.end() - 2, Wide.taskbar.end()),
              std::vector<std::string>({"state 0", "notify"}));
}

INSTANTIATE_TEST_SUITE_P(Far3, EscapeMidRun,
                         ::testing::Values(EscapeCase{"Yes", 0, true, 1}, EscapeCase{"No", 1, false, 1},
                                           EscapeCase{"NotAskedWhenTheUserSaidSo", 1, true, 0}),
                         [](const ::testing::TestParamInfo<EscapeCase> &info) { return std::string(info.param.name); });

// Something the module calls fails with an exception in the middle of a
// long run: the run ends there, every file whole, and the host gets back
// its screen, its taskbar and the listing.
TEST(WideRun, AnExceptionMidRunLeavesNothingBehind)
{
    std::wstring root = Root();
    for (int i = 0; i < 50; i++)
        Put(root + L"\\tree\\f" + std::to_wstring(i) + L".txt", "a\r\n");
    LoadModule(root);
    Wide.selection = {"tree"};
    Wide.pickRadio = 1;
    Wide.subdirs = 1;
    Wide.afterListing = [](const std::string &) { Sleep(600); };
    Wide.duringProgress = [] {
        static bool thrown = false;
        if (!thrown) {
            thrown = true;
            throw std::bad_alloc();
        }
    };
    PickMenuEntry();
    for (int i = 0; i < 50; i++) {
        std::string bytes = Get(root + L"\\tree\\f" + std::to_wstring(i) + L".txt");
        EXPECT_TRUE(bytes == "a\r\n" || bytes == "a\n") << i;
    }
    ASSERT_FALSE(Wide.taskbar.empty());
    EXPECT_EQ(Wide.taskbar.back(), "notify");
    EXPECT_NE(std::find(Wide.calls.begin(), Wide.calls.end(), "RestoreScreen(saved)"), Wide.calls.end());
    EXPECT_EQ(TemporariesBelow(Narrow(root)), 0);
}

class WideHostileInput : public ::testing::TestWithParam<BadInput> {};

// Today's host lists a folder's whole subtree, never "." or "..".
TEST_P(WideHostileInput, TouchesNothingOutsideTheSelection)
{
    const BadInput &b = GetParam();
    std::wstring root = Root();
    std::string sandbox = Narrow(root);
    MakeSandbox(sandbox);
    std::map<std::string, std::string> before = Contents(sandbox);
    LoadModule(root + L"\\panel");
    Wide.selection = b.selection;
    Wide.pickRadio = 1;
    Wide.subdirs = 1;
    PickMenuEntry();
    EXPECT_EQ(Contents(sandbox), Expected(before, b));
    EXPECT_EQ(TemporariesBelow(sandbox), 0);
}

INSTANTIATE_TEST_SUITE_P(Table, WideHostileInput, ::testing::ValuesIn(BadInputs),
                         [](const ::testing::TestParamInfo<BadInput> &info) { return info.param.name; });
