#include "command.h"
#include "messages.h"
#include "progress.h"
#include "services.h"
#include "settings.h"
#include "walk.h"
#include "../run/dialog.h"
#include "../run/warning.h"

#include <cstring>
#include <vector>

static_assert(int(DI_TEXT) == KindText && int(DI_DOUBLEBOX) == KindDoubleBox && int(DI_BUTTON) == KindButton &&
                  int(DI_CHECKBOX) == KindCheckBox && int(DI_RADIOBUTTON) == KindRadioButton,
              "the dialog's model names the host's item types");
static_assert(uint64_t(DIF_BOXCOLOR) == TraitBoxColor && uint64_t(DIF_GROUP) == TraitGroup &&
                  uint64_t(DIF_CENTERGROUP) == TraitCenterGroup && uint64_t(DIF_SEPARATOR) == TraitSeparator,
              "the dialog's model names the host's item flags");

// The literal texts, widened; they are ASCII.
static std::wstring Widened(const char *text)
{
    return std::wstring(text, text + strlen(text));
}

// The items with the remembered choices preset; the host copies them, and
// literals holds their texts until it has.
static void FillDialog(const DialogLayout &dialog, FarDialogItem *items, std::wstring *literals)
{
    for (int i = 0; i < dialog.count; i++) {
        const DialogShape &shape = dialog.items[i];
        items[i] = FarDialogItem();
        items[i].Type = DialogItemType(shape.kind);
        items[i].X1 = shape.x1;
        items[i].Y1 = shape.y1;
        items[i].X2 = shape.x2;
        items[i].Y2 = shape.y2;
        items[i].Flags = shape.isDefault ? shape.traits | DIF_DEFAULTBUTTON : FLAGS64(shape.traits);
        literals[i] = shape.message >= 0 ? L"" : Widened(shape.literal);
        items[i].Data = shape.message >= 0 ? Msg(shape.message) : literals[i].c_str();
    }
    FarDialogItem &mode = items[ModeItem(dialog, Settings.ConvertMode)];
    mode.Selected = 1;
    mode.Flags |= DIF_FOCUS;
    items[dialog.subDir].Selected = Settings.ProcessSubDir != 0;
    items[dialog.binaryToo].Selected = WideSettings.ConvertBinary != 0;
}

// Shows the dialog; false unless the user chose Convert. The new choices
// are in Settings and WideSettings then, and thisRunOnly tells whether to
// keep them.
static bool AskChoices(bool &thisRunOnly)
{
    const DialogLayout layout = LayOutDialog(MsgConvertBinary);
    FarDialogItem items[MostDialogItems];
    std::wstring literals[MostDialogItems];
    FillDialog(layout, items, literals);
    HANDLE dialog = Far.DialogInit(&PluginGuid, &DialogGuid, -1, -1, layout.width, layout.height, L"Contents", items,
                                   layout.count, 0, 0, nullptr, nullptr);
    if (dialog == INVALID_HANDLE_VALUE)
        return false;
    bool accepted = Far.DialogRun(dialog) == layout.accept;
    auto checked = [&](int item) { return Far.SendDlgMessage(dialog, DM_GETCHECK, item, nullptr) == BSTATE_CHECKED; };
    accepted = accepted &&
               ChosenSettings(checked(layout.toLf), checked(layout.toCrLf), checked(layout.subDir), Settings);
    if (accepted)
        WideSettings.ConvertBinary = checked(layout.binaryToo);
    thisRunOnly = accepted && checked(layout.thisRunOnly);
    Far.DialogFree(dialog);
    return accepted;
}

static std::wstring PanelFolder()
{
    size_t size = (size_t)Far.PanelControl(PANEL_ACTIVE, FCTL_GETPANELDIRECTORY, 0, nullptr);
    std::vector<uint64_t> area((size + 7) / 8 + sizeof(FarPanelDirectory) / 8 + 1);
    FarPanelDirectory *dir = (FarPanelDirectory *)area.data();
    dir->StructSize = sizeof *dir;
    if (!size || (size_t)Far.PanelControl(PANEL_ACTIVE, FCTL_GETPANELDIRECTORY, area.size() * 8, dir) > area.size() * 8 ||
        !dir->Name)
        return L"";
    return dir->Name;
}

// The selected items (or the one under the cursor), each by its full path:
// a plain name lies in the panel's folder, an item of a panel of found
// files is named by its full path already; a plain name on any other
// plugin's panel is no file and is reported. ".." is never taken: walked,
// it would convert the folder's parent.
static std::vector<Entry> Selection(const PanelInfo &panel, const std::wstring &folder)
{
    std::vector<Entry> entries;
    std::vector<uint64_t> area;
    for (size_t i = 0; i < panel.SelectedItemsNumber; i++) {
        size_t size = (size_t)Far.PanelControl(PANEL_ACTIVE, FCTL_GETSELECTEDPANELITEM, (intptr_t)i, nullptr);
        if (size < sizeof(PluginPanelItem)) {
            // Named by its place in the selection: the host gave no name.
            Report(Unconverted, (L"#" + std::to_wstring(i + 1)).c_str(), Unreadable);
            continue;
        }
        area.assign(size / 8 + 1, 0);
        FarGetPluginPanelItem get = {sizeof get, area.size() * 8, (PluginPanelItem *)area.data()};
        Far.PanelControl(PANEL_ACTIVE, FCTL_GETSELECTEDPANELITEM, (intptr_t)i, &get);
        const PluginPanelItem &item = *get.Item;
        if (!item.FileName || IsDotEntry(item.FileName))
            continue;
        bool full = IsFullPath(item.FileName);
        if (!full && (panel.Flags & PFLAGS_PLUGIN)) {
            Report(Unconverted, item.FileName, NameUnusable);
            continue;
        }
        entries.push_back(EntryOf(item));
        if (!full)
            entries.back().path.insert(0, folder.empty() || folder.back() == L'\\' ? folder : folder + L'\\');
    }
    return entries;
}

// A message the user acknowledges; its help topic explains every warning.
static void Warn(const wchar_t *const *lines, size_t count)
{
    Far.Message(&PluginGuid, nullptr, FMSG_WARNING | FMSG_MB_OK, L"Contents", lines, count, 0);
}

static void ShowNoFilesOnDisk()
{
    const wchar_t *lines[] = {Msg(MsgTitle), Msg(MsgNoFilesOnDisk)};
    Warn(lines, 2);
}

static int WideReason(Outcome why)
{
    return why == BinaryFile ? MsgBinaryFile : ReasonMessage(why);
}

static void ShowUnconverted(const std::wstring &folder)
{
    WarningLine<wchar_t> text[WarningTexts];
    const wchar_t *lines[WarningLines];
    size_t count = ListUnconverted(Unconverted, folder.c_str(), Msg, WideReason, text, lines);
    if (count > 0)
        Warn(lines, count);
}

static void RefreshPanels()
{
    for (HANDLE panel : {PANEL_ACTIVE, PANEL_PASSIVE}) {
        Far.PanelControl(panel, FCTL_UPDATEPANEL, 1, nullptr);
        Far.PanelControl(panel, FCTL_REDRAWPANEL, 0, nullptr);
    }
}

// The host's screen and taskbar while the run works, given back however it
// ends.
struct RunScreen {
    HANDLE saved = Far.SaveScreen(0, 0, -1, -1);
    RunScreen() { StartProgress(); }
    ~RunScreen()
    {
        EndProgress();
        Far.RestoreScreen(saved);
    }
};

void RunConversion()
{
    // Read from the store on every run, so a run for this time only leaves
    // the next one the choices remembered before.
    LoadSettings();
    bool thisRunOnly = false;
    if (!AskChoices(thisRunOnly))
        return;
    if (!thisRunOnly)
        SaveSettings();

    PanelInfo panel = {};
    panel.StructSize = sizeof panel;
    bool havePanel = Far.PanelControl(PANEL_ACTIVE, FCTL_GETPANELINFO, 0, &panel) != 0;
    bool onDisk = havePanel && ShowsFilesOnDisk(panel.PanelType == PTYPE_FILEPANEL, (panel.Flags & PFLAGS_PLUGIN) != 0,
                                                (panel.Flags & PFLAGS_REALNAMES) != 0);
    std::wstring folder = onDisk ? PanelFolder() : L"";
    StartRun();
    {
        RunScreen screen;
        if (onDisk)
            for (const Entry &entry : Selection(panel, folder))
                if (!Run.stopped)
                    ProcessSelected(entry);
    }
    if (havePanel && !onDisk)
        ShowNoFilesOnDisk();
    ShowUnconverted(folder);
    RefreshPanels();
}
