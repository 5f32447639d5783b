// The module end to end: loaded from its installable folder and driven by
// the stand-in host as the real host drives it.
#include "run/messages.h"
#include "module_fixture.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

TEST_F(Module, SmallStartupRecordLeavesItInert)
{
    StoreValue(key, "ConvertMode", REG_DWORD, DwordBytes(1));
    info.StructSize = (int)sizeof(PluginStartupInfo) - 1;
    Start();
    PluginInfo plugin, untouched;
    memset(&plugin, 0xAB, sizeof plugin);
    memcpy(&untouched, &plugin, sizeof plugin);
    module.GetPluginInfo(&plugin);
    EXPECT_EQ(memcmp(&plugin, &untouched, sizeof plugin), 0);
    std::string file = File("x.txt", CrLf);
    Host.selection = {"x.txt"};
    EXPECT_TRUE(Run().empty());
    EXPECT_TRUE(Host.calls.empty());
    EXPECT_EQ(ReadBytes(file), CrLf);
}

TEST_F(Module, OffersOneMenuEntry)
{
    Start();
    PluginInfo plugin;
    memset(&plugin, 0, sizeof plugin);
    module.GetPluginInfo(&plugin);
    EXPECT_EQ(plugin.StructSize, (int)sizeof(PluginInfo));
    ASSERT_EQ(plugin.PluginMenuStringsNumber, 1);
    EXPECT_STREQ(plugin.PluginMenuStrings[0], Host.messages[MsgMenuItem].c_str());
    EXPECT_EQ(plugin.DiskMenuStringsNumber, 0);
    EXPECT_EQ(plugin.PluginConfigStringsNumber, 0);
    EXPECT_EQ(plugin.CommandPrefix, nullptr);
    EXPECT_EQ(plugin.Flags, 0u);
}

struct ItemExpectation {
    int type, x1, y1, x2, y2;
    DWORD flags;
    int defaultButton;
    std::string text;
};

TEST_F(Module, DialogIsLaidOutAndPresetFromTheStore)
{
    StoreValue(key, "ConvertMode", REG_DWORD, DwordBytes(1));
    StoreValue(key, "ProcessSubDir", REG_DWORD, DwordBytes(1));
    Start();
    Host.close = DialogClose::Cancel;
    Run();
    const std::vector<std::string> &m = Host.messages;
    const ItemExpectation expected[10] = {
        {DI_DOUBLEBOX, 3, 1, 42, 10, 0, 0, m[MsgTitle]},
        {DI_RADIOBUTTON, 5, 2, 0, 0, DIF_GROUP, 0, "to &Unix"},
        {DI_RADIOBUTTON, 5, 3, 0, 0, 0, 0, "to &Windows"},
        {DI_TEXT, 5, 4, 0, 0, 0x10200, 0, ""},
        {DI_CHECKBOX, 5, 5, 0, 0, 0, 0, m[MsgProcessSubDir]},
        {DI_TEXT, 5, 6, 0, 0, 0x10200, 0, ""},
        {DI_CHECKBOX, 5, 7, 0, 0, 0, 0, m[MsgThisRunOnly]},
        {DI_TEXT, 5, 8, 0, 0, 0x10200, 0, ""},
        {DI_BUTTON, 0, 9, 0, 0, DIF_CENTERGROUP, 1, m[MsgAccept]},
        {DI_BUTTON, 0, 9, 0, 0, DIF_CENTERGROUP, 0, m[MsgCancel]},
    };
    ASSERT_EQ(Host.dialogAsShown.size(), 10u);
    for (int i = 0; i < 10; i++) {
        const FarDialogItem &item = Host.dialogAsShown[(size_t)i];
        const ItemExpectation &e = expected[i];
        EXPECT_EQ(item.Type, e.type) << i;
        EXPECT_EQ(item.X1, e.x1) << i;
        EXPECT_EQ(item.Y1, e.y1) << i;
        EXPECT_EQ(item.X2, e.x2) << i;
        EXPECT_EQ(item.Y2, e.y2) << i;
        EXPECT_EQ(item.Flags, e.flags) << i;
        EXPECT_EQ(item.DefaultButton, e.defaultButton) << i;
        EXPECT_EQ(std::string(item.Data), e.text) << i;
        EXPECT_EQ(item.Focus, i == 2 ? 1 : 0) << i;
        EXPECT_EQ(item.Selected, i == 2 || i == 4 ? 1 : 0) << i;
    }
}

TEST_F(Module, AcceptedRunCallsTheHostInOrder)
{
    Start();
    File("x.txt", CrLf);
    Host.selection = {"x.txt"};
    std::vector<std::string> calls = Run();
    const std::vector<std::string> expected = {
        "GetMsg(7, 3)", "GetMsg(7, 4)", "GetMsg(7, 6)", "GetMsg(7, 1)", "GetMsg(7, 2)",
        "Dialog(7, -1, -1, 46, 12, \"Contents\", items, 10)",
        "Control(INVALID_HANDLE_VALUE, 1, info)",
        "SaveScreen(0, 0, -1, -1)",
        "GetMsg(7, 3)", "GetMsg(7, 5)",
        "Message(7, 0, null, [\"" + Host.messages[MsgTitle] + "\", \"" + Host.messages[MsgWorking] + "\"], 2, 0)",
        "RestoreScreen(saved)",
        "Control(INVALID_HANDLE_VALUE, 3, null)",
        "Control(INVALID_HANDLE_VALUE, 5, null)",
    };
    EXPECT_EQ(calls, expected);
    EXPECT_EQ(ReadBytes(PathIn(dir, "x.txt")), Lf);
}

TEST_F(Module, ClosingWithoutAcceptChangesNothing)
{
    Start();
    std::string file = File("x.txt", CrLf);
    Host.selection = {"x.txt"};
    Host.pickRadio = 2;
    Host.subdirs = 1;
    for (DialogClose close : {DialogClose::Cancel, DialogClose::Escape}) {
        Host.close = close;
        std::vector<std::string> calls = Run();
        EXPECT_EQ(calls.back().rfind("Dialog(", 0), 0u) << "nothing after the dialog";
    }
    EXPECT_EQ(ReadBytes(file), CrLf);
    EXPECT_FALSE(QueryValue(key, "ConvertMode").present);
}

TEST_F(Module, SavedChoicesReachTheNextDialogAndTheNextLoad)
{
    Start();
    Host.pickRadio = 2;
    Host.subdirs = 1;
    Run();
    EXPECT_EQ(QueryValue(key, "ConvertMode").bytes, DwordBytes(1));
    EXPECT_EQ(QueryValue(key, "ProcessSubDir").bytes, DwordBytes(1));
    for (bool reload : {false, true}) {
        if (reload)
            Reload();
        Host.pickRadio = 0;
        Host.subdirs = -1;
        Host.close = DialogClose::Cancel;
        Run();
        EXPECT_EQ(Host.dialogAsShown[2].Selected, 1) << reload;
        EXPECT_EQ(Host.dialogAsShown[4].Selected, 1) << reload;
    }
}

TEST_F(Module, ThisRunOnlyConvertsThenPutsTheChoicesBack)
{
    Start();
    MakeFolder(PathIn(dir, "d"));
    std::string file = File("d/x.txt", "a\nb\n");
    Host.selection = {"d"};
    Host.pickRadio = 2;
    Host.subdirs = 1;
    Host.thisRunOnly = true;
    Run();
    EXPECT_EQ(ReadBytes(file), "a\r\nb\r\n");
    EXPECT_FALSE(QueryValue(key, "ConvertMode").present);

    ResetHost(Host.curDir);
    Host.close = DialogClose::Cancel;
    Run();
    EXPECT_EQ(Host.dialogAsShown[1].Selected, 1);
    EXPECT_EQ(Host.dialogAsShown[4].Selected, 0);
    EXPECT_EQ(Host.dialogAsShown[6].Selected, 0);
}

TEST_F(Module, RunWithoutSelectionStillStoresAndRefreshes)
{
    Start();
    Host.cursorItem = "..";
    Host.pickRadio = 2;
    std::vector<std::string> calls = Run();
    EXPECT_EQ(QueryValue(key, "ConvertMode").bytes, DwordBytes(1));
    EXPECT_NE(std::find(calls.begin(), calls.end(), "RestoreScreen(saved)"), calls.end());
    EXPECT_EQ(calls.back(), "Control(INVALID_HANDLE_VALUE, 5, null)");
}

TEST_F(Module, CursorItemStandsInForAnEmptySelection)
{
    Start();
    std::string file = File("x.txt", CrLf);
    Host.cursorItem = "x.txt";
    Run();
    EXPECT_EQ(ReadBytes(file), Lf);
}

TEST_F(Module, NoPanelInformationWalksNothing)
{
    Start();
    std::string file = File("x.txt", CrLf);
    Host.selection = {"x.txt"};
    Host.panelInfoFails = true;
    Host.pickRadio = 2;
    std::vector<std::string> calls = Run();
    EXPECT_EQ(ReadBytes(file), CrLf);
    EXPECT_EQ(QueryValue(key, "ConvertMode").bytes, DwordBytes(1));
    EXPECT_EQ(calls.back(), "Control(INVALID_HANDLE_VALUE, 5, null)");
}

TEST_F(Module, ConvertsAMultiFileSelectionInBothListingForms)
{
    Start();
    for (ListingForm form : {ListingForm::Direct, ListingForm::Subtree}) {
        MakeFolder(PathIn(dir, "d/e"));
        std::vector<std::string> files = {File("x.txt", CrLf), File("y.txt", CrLf),
                                          File("d/z.txt", CrLf), File("d/e/w.txt", CrLf)};
        std::string untouched = File("not-selected.txt", CrLf);
        Host.selection = {"x.txt", "y.txt", "d"};
        Host.listing = form;
        Host.pickRadio = 1;
        Host.subdirs = 1;
        Run();
        for (const std::string &file : files)
            EXPECT_EQ(ReadBytes(file), Lf) << file;
        EXPECT_EQ(ReadBytes(untouched), CrLf);
        // GetDirList is asked for each directory by its full path; the
        // subtree form lists the selected one alone.
        std::string d = HostPath(PathIn(dir, "d"));
        std::vector<std::string> listed = {d, d + "\\e"};
        if (form == ListingForm::Subtree)
            listed.pop_back();
        EXPECT_EQ(Host.listed, listed);
        Host.listed.clear();
        EXPECT_EQ(CountTemporaries(), 0);
    }
}

TEST_F(Module, SelectedDotDotIsSkipped)
{
    Start();
    std::string outside = PathIn(dir, "../outside.txt");
    WriteBytes(outside, CrLf);
    Host.selection = {"..", "."};
    Host.pickRadio = 1;
    Host.subdirs = 1;
    Run();
    EXPECT_TRUE(Host.listed.empty());
    EXPECT_EQ(ReadBytes(outside), CrLf);
}

} // namespace

namespace {

// The files beside the module, in the host's formats: each catalogue holds
// every message the module asks for, each help file the topic the dialog
// names.
TEST(ModuleFiles, CataloguesAndHelpAreComplete)
{
    const std::string &folder = ModuleFolder;
    const char *languages[] = {"Eng", "Rus"};
    for (const char *language : languages) {
        std::string lng = folder + "Quillmere" + language + ".lng";
        ASSERT_TRUE(LoadMessages(lng)) << lng;
        EXPECT_EQ(Host.messages.size(), (size_t)MsgSharedCount) << lng;
        for (const std::string &message : Host.messages)
            EXPECT_FALSE(message.empty()) << lng;
        std::string help = ReadBytes(folder + "Quillmere" + language + ".hlf");
        EXPECT_EQ(help.rfind(".Language=", 0), 0u) << language;
        EXPECT_NE(help.find("\n.PluginContents="), std::string::npos) << language;
        EXPECT_NE(help.find("\n@Contents\n$ #"), std::string::npos) << language;
    }
    // The Russian files are in code page 866: "Русский" in the language line.
    EXPECT_NE(ReadBytes(folder + "QuillmereRus.lng").find("\x90\xE3\xE1\xE1\xAA\xA8\xA9"), std::string::npos);
}

} // namespace

namespace {

// Panels that are no plain folder. A plugin's panel whose names are no
// files on disk converts nothing, even where its names happen to name files
// of the working directory; a panel of real names converts exactly the
// files its full paths name, wherever they lie.
struct PanelCase {
    const char *name;
    PanelKind panel;
    int panelType;
    std::vector<std::string> converted; // of a.txt, sub/b.txt, c.txt
    std::vector<std::string> warning;   // the message's lines after the title
};

const PanelCase PanelCases[] = {
    {"FolderPanel", PanelKind::Folder, PTYPE_FILEPANEL, {"a.txt", "sub/b.txt"}, {}},
    {"PluginPanel", PanelKind::Plugin, PTYPE_FILEPANEL, {},
     {"Nothing was converted: the active panel shows no files on disk."}},
    {"RealNamesPanel", PanelKind::RealNames, PTYPE_FILEPANEL, {"a.txt", "sub/b.txt"}, {}},
    {"TreePanel", PanelKind::Folder, 1, {}, {"Nothing was converted: the active panel shows no files on disk."}},
};

void PrintTo(const PanelCase &c, std::ostream *os)
{
    *os << c.name;
}

class Panels : public Module, public ::testing::WithParamInterface<PanelCase> {};

TEST_P(Panels, ConvertOnlyFilesOnDisk)
{
    const PanelCase &c = GetParam();
    MakeFolder(PathIn(dir, "sub"));
    for (const char *name : {"a.txt", "sub/b.txt", "c.txt"})
        File(name, CrLf);
    // The working directory holds files of the same names, which a plugin
    // panel's names would reach if they were taken for paths.
    WriteBytes("a.txt", CrLf);
    Start();
    Host.panel = c.panel;
    Host.panelType = c.panelType;
    Host.selection = {"a.txt", "sub"};
    Host.pickRadio = 1;
    Host.subdirs = 1;
    Run();
    for (const char *name : {"a.txt", "sub/b.txt", "c.txt"}) {
        bool converted = std::find(c.converted.begin(), c.converted.end(), name) != c.converted.end();
        EXPECT_EQ(ReadBytes(PathIn(dir, name)), converted ? Lf : CrLf) << name;
    }
    EXPECT_EQ(ReadBytes("a.txt"), CrLf);
    std::vector<std::string> expected;
    if (!c.warning.empty())
        expected.push_back(Host.messages[MsgTitle]);
    expected.insert(expected.end(), c.warning.begin(), c.warning.end());
    EXPECT_EQ(Host.warning, expected);
    EXPECT_EQ(QueryValue(key, "ProcessSubDir").bytes, DwordBytes(1)) << "the choices are stored all the same";
}

INSTANTIATE_TEST_SUITE_P(Table, Panels, ::testing::ValuesIn(PanelCases),
                         [](const ::testing::TestParamInfo<PanelCase> &info) { return info.param.name; });

} // namespace
