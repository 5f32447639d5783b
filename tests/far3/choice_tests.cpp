// Which files a run takes inside selected folders (the masks, the host's
// filter), and the run a macro calls: its arguments and what it gets back.
#include "wide_support.h"

#include <algorithm>
#include <map>

// A tree of text files of two sizes, and a file selected by itself that
// no mask names.
const std::map<std::wstring, std::string> Tree = {
    {L"tree\\a.c", "a\r\n"},          {L"tree\\b.h", "bbbbbbbb\r\n"},
    {L"tree\\c.TXT", "c\r\n"},        {L"tree\\d.min.js", "d\r\n"},
    {L"tree\\sub\\e.js", "eeeeeeee\r\n"}, {L"tree\\sub\\f.c", "ffffffff\r\n"},
    {L"top.js", "t\r\n"},
};

struct ChoiceCase {
    const char *name;
    const char *masks;
    long long filterBelow; // -1: the filter's box stays clear
    std::vector<std::wstring> converted;
};

void PrintTo(const ChoiceCase &c, std::ostream *out)
{
    *out << c.name;
}

class FilesChosen : public ::testing::TestWithParam<ChoiceCase> {};

TEST_P(FilesChosen, AreTheOnesTheMasksAndTheFilterPass)
{
    const ChoiceCase &c = GetParam();
    std::wstring root = Root();
    for (const auto &[name, bytes] : Tree)
        Put(root + L"\\" + name, bytes);
    LoadModule(root);
    Wide.selection = {"top.js", "tree"};
    Wide.pickRadio = 1;
    Wide.subdirs = 1;
    Wide.typeMasks = true;
    Wide.masks = c.masks;
    Wide.useFilter = c.filterBelow >= 0;
    Wide.filterBelow = c.filterBelow;
    PickMenuEntry();
    for (const auto &[name, bytes] : Tree) {
        bool converted = std::count(c.converted.begin(), c.converted.end(), name) > 0;
        EXPECT_EQ(Get(root + L"\\" + name), converted ? ModelConvert(bytes, 0) : bytes) << Narrow(name);
    }
    // Ticking the box, the user set the filter up with the button beside it.
    EXPECT_EQ(Wide.filtersMenuOpened, c.filterBelow >= 0 ? 1 : 0);
    EXPECT_TRUE(Wide.warning.empty());
}

const std::vector<std::wstring> Everything = {L"tree\\a.c",      L"tree\\b.h",      L"tree\\c.TXT", L"tree\\d.min.js",
                                              L"tree\\sub\\e.js", L"tree\\sub\\f.c", L"top.js"};

INSTANTIATE_TEST_SUITE_P(
    Far3, FilesChosen,
    ::testing::Values(
        ChoiceCase{"AllFiles", "*", -1, Everything},
        ChoiceCase{"ABlankLineMeansAllFiles", "   ", -1, Everything},
        ChoiceCase{"AListWhateverTheCase", "*.c;*.txt", -1, {L"tree\\a.c", L"tree\\c.TXT", L"tree\\sub\\f.c", L"top.js"}},
        ChoiceCase{"Exclusions", "*.js|*.min.js", -1, {L"tree\\sub\\e.js", L"top.js"}},
        ChoiceCase{"Wildcards", "?.[ch]", -1, {L"tree\\a.c", L"tree\\b.h", L"tree\\sub\\f.c", L"top.js"}},
        ChoiceCase{"TheHostsFilter", "*", 5, {L"tree\\a.c", L"tree\\c.TXT", L"tree\\d.min.js", L"top.js"}},
        ChoiceCase{"MasksAndFilterBoth", "*.c", 5, {L"tree\\a.c", L"top.js"}}),
    [](const ::testing::TestParamInfo<ChoiceCase> &info) { return std::string(info.param.name); });

// The host explains what is wrong with the masks, and the dialog stays
// open on them; the user gives up with Esc, and nothing is converted.
TEST(FilesChosen, MasksTheHostCannotReadKeepTheDialogOpen)
{
    std::wstring root = Root();
    Put(root + L"\\tree\\a.c", "a\r\n");
    LoadModule(root);
    Wide.selection = {"tree"};
    Wide.pickRadio = 1;
    Wide.subdirs = 1;
    Wide.typeMasks = true;
    Wide.masks = "*.c,[";
    PickMenuEntry();
    EXPECT_EQ(Wide.dialogKeptOpen, 1);
    EXPECT_EQ(Wide.focusedItem, 8);
    EXPECT_EQ(Wide.hostErrors.size(), 1u);
    EXPECT_EQ(Get(root + L"\\tree\\a.c"), "a\r\n");
    for (const auto &[plugin, texts] : Wide.texts)
        EXPECT_TRUE(texts.empty()); // not remembered
}

struct MacroCase {
    const char *name;
    std::vector<std::string> arguments;
    std::string gets;
    std::map<std::wstring, std::string> after; // files that change
};

void PrintTo(const MacroCase &c, std::ostream *out)
{
    *out << c.name;
}

class MacroCalls : public ::testing::TestWithParam<MacroCase> {};

// Remembered: to Windows, no subfolders, masks "*.dat;*.c", binary files
// left alone. The macro converts as its arguments say, remembers nothing,
// and gets the counts of files converted and not converted.
TEST_P(MacroCalls, ConvertAsTheArgumentsSay)
{
    const MacroCase &c = GetParam();
    const std::map<std::wstring, std::string> files = {{L"top.txt", "t\n"},
                                                       {L"m\\a.c", "a\r\n"},
                                                       {L"m\\sub\\b.txt", "b\n"},
                                                       {L"m\\bin.dat", std::string("\0\n", 2)},
                                                       {L"m\\ro.txt", "r\r\n\n"}};
    std::wstring root = Root();
    for (const auto &[name, bytes] : files)
        Put(root + L"\\" + name, bytes);
    SetFileAttributesW(Long(root + L"\\m\\ro.txt").c_str(), FILE_ATTRIBUTE_READONLY);
    LoadModule(root);
    const std::string plugin = "B7923384-5F53-417F-9D81-2C581F7A9ED4";
    Wide.settings = {{plugin, {{L"ConvertMode", 1}, {L"ProcessSubDir", 0}, {L"ConvertBinary", 0}}}};
    Wide.texts = {{plugin, {{L"Masks", L"*.dat;*.c"}}}};
    auto remembered = std::make_pair(Wide.settings, Wide.texts);
    Wide.selection = {"m", "top.txt"};
    EXPECT_EQ(CallAsMacro(c.arguments), c.gets);
    for (const auto &[name, bytes] : files) {
        auto changed = c.after.find(name);
        EXPECT_EQ(Get(root + L"\\" + name), changed == c.after.end() ? bytes : changed->second) << Narrow(name);
    }
    EXPECT_TRUE(remembered == std::make_pair(Wide.settings, Wide.texts));
    bool someLeft = c.gets.find(", ") != std::string::npos && c.gets.back() != '0';
    EXPECT_EQ(Wide.warning.empty(), !someLeft);
}

INSTANTIATE_TEST_SUITE_P(
    Far3, MacroCalls,
    ::testing::Values(
        MacroCase{"NoArgumentsTakeTheRememberedChoices", {}, "1, 0", {{L"top.txt", "t\r\n"}}},
        MacroCase{"ToUnixWithSubfolders", {"unix", "true"}, "2, 0", {{L"m\\a.c", "a\n"}}},
        MacroCase{"NumbersAsLuaGivesThem", {"0", "1", "*"}, "3, 1", {{L"m\\a.c", "a\n"}}},
        MacroCase{"NilKeepsTheRememberedMasks",
                  {"WINDOWS", "true", "nil", "true"},
                  "3, 0",
                  {{L"top.txt", "t\r\n"}, {L"m\\bin.dat", std::string("\0\r\n", 3)}}},
        MacroCase{"AnUnknownTarget", {"linux"}, "false", {}},
        MacroCase{"ATargetOutOfRange", {"2"}, "false", {}},
        MacroCase{"ATextForAYesOrNo", {"unix", "yes"}, "false", {}},
        MacroCase{"MasksTheHostCannotRead", {"unix", "true", "["}, "false", {}},
        MacroCase{"ANumberForMasks", {"unix", "true", "5"}, "false", {}},
        MacroCase{"TooManyArguments", {"unix", "true", "*", "false", "more"}, "false", {}}),
    [](const ::testing::TestParamInfo<MacroCase> &info) { return std::string(info.param.name); });
