#include "command.h"
#include "choice.h"
#include "macro.h"
#include "messages.h"
#include "progress.h"
#include "services.h"
#include "settings.h"
#include "walk.h"
#include "../run/dialog.h"
#include "../run/warning.h"

#include <algorithm>
#include <cstring>
#include <vector>

static_assert(int(DI_TEXT) == KindText && int(DI_DOUBLEBOX) == KindDoubleBox && int(DI_BUTTON) == KindButton &&
                  int(DI_CHECKBOX) == KindCheckBox && int(DI_RADIOBUTTON) == KindRadioButton &&
                  int(DI_EDIT) == KindEdit,
              "the dialog's model names the host's item types");
static_assert(uint64_t(DIF_BOXCOLOR) == TraitBoxColor && uint64_t(DIF_GROUP) == TraitGroup &&
                  uint64_t(DIF_CENTERGROUP) == TraitCenterGroup && uint64_t(DIF_SEPARATOR) == TraitSeparator &&
                  uint64_t(DIF_HISTORY) == TraitHistory && uint64_t(DIF_BTNNOCLOSE) == TraitNoClose,
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
    // The module's own items, each where the layout has it.
    if (dialog.binaryToo >= 0)
        items[dialog.binaryToo].Selected = WideSettings.ConvertBinary != 0;
    if (dialog.masks >= 0) {
        items[dialog.masks].Data = WideSettings.Masks.c_str();
        items[dialog.masks].History = L"QuillmereMasks";
    }
    if (dialog.useFilter >= 0)
        items[dialog.useFilter].Selected = WideSettings.UseFilter != 0;
}

static const DialogLayout *Shown; // the dialog DialogEvents serves

static const wchar_t *TextOf(HANDLE dialog, int item)
{
    return (const wchar_t *)Far.SendDlgMessage(dialog, DM_GETCONSTTEXTPTR, item, nullptr);
}

// The filter button opens the host's filters and leaves the dialog open;
// masks the host cannot read keep it open too, with the host's word on
// what is wrong and the line focused for mending.
static intptr_t WINAPI DialogEvents(HANDLE dialog, intptr_t message, intptr_t item, void *param)
{
    try {
        // A message sent while the dialog is made or freed finds no layout.
        if (Shown && message == DN_BTNCLICK && item == Shown->filter) {
            OpenFiltersMenu();
            return TRUE;
        }
        if (Shown && message == DN_CLOSE && item == Shown->accept &&
            !MasksValid(MasksOf(TextOf(dialog, Shown->masks)), true)) {
            Far.SendDlgMessage(dialog, DM_SETFOCUS, Shown->masks, nullptr);
            return FALSE;
        }
    } catch (...) {
        // Nothing may unwind through the host's dialog.
    }
    return Far.DefDlgProc(dialog, message, item, param);
}

// Shows the dialog; false unless the user chose Convert. The new choices
// are in Settings and WideSettings then, and thisRunOnly tells whether to
// keep them.
static bool AskChoices(bool &thisRunOnly)
{
    const DialogLayout layout = LayOutDialog({MsgConvertBinary, MsgFileMasks, MsgUseFilter, MsgFilter});
    FarDialogItem items[MostDialogItems];
    std::wstring literals[MostDialogItems];
    FillDialog(layout, items, literals);
    HANDLE dialog = Far.DialogInit(&PluginGuid, &DialogGuid, -1, -1, layout.width, layout.height, L"Contents", items,
                                   layout.count, 0, 0, DialogEvents, nullptr);
    if (dialog == INVALID_HANDLE_VALUE)
        return false;
    // Clicks and closings reach DialogEvents only while the dialog runs.
    Shown = &layout;
    bool accepted = Far.DialogRun(dialog) == layout.accept;
    Shown = nullptr;
    auto checked = [&](int item) { return Far.SendDlgMessage(dialog, DM_GETCHECK, item, nullptr) == BSTATE_CHECKED; };
    accepted = accepted &&
               ChosenSettings(checked(layout.toLf), checked(layout.toCrLf), checked(layout.subDir), Settings);
    if (accepted) {
        WideSettings.ConvertBinary = checked(layout.binaryToo);
        WideSettings.Masks = MasksOf(TextOf(dialog, layout.masks));
        WideSettings.UseFilter = checked(layout.useFilter);
    }
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

// The panel's item the command and index name, in area; null when the host
// hands none over.
static const PluginPanelItem *PanelItem(FileControlCommand command, size_t index, std::vector<uint64_t> &area)
{
    size_t size = (size_t)Far.PanelControl(PANEL_ACTIVE, command, (intptr_t)index, nullptr);
    if (size < sizeof(PluginPanelItem))
        return nullptr;
    area.assign(size / 8 + 1, 0);
    FarGetPluginPanelItem get = {sizeof get, area.size() * 8, (PluginPanelItem *)area.data()};
    Far.PanelControl(PANEL_ACTIVE, command, (intptr_t)index, &get);
    return get.Item;
}

// A selected item, its place among the selected ones, and whether the user
// marked it (the item under the cursor stands for a selection of none).
struct Picked {
    size_t index;
    bool marked;
    Entry entry;
};

// The selected items (or the one under the cursor), each by its full path:
// a plain name lies in the panel's folder, an item of a panel of found
// files is named by its full path already; a plain name on any other
// plugin's panel is no file and is reported. ".." is never taken: walked,
// it would convert the folder's parent.
static std::vector<Picked> Selection(const PanelInfo &panel, const std::wstring &folder)
{
    std::vector<Picked> picked;
    std::vector<uint64_t> area;
    for (size_t i = 0; i < panel.SelectedItemsNumber; i++) {
        const PluginPanelItem *item = PanelItem(FCTL_GETSELECTEDPANELITEM, i, area);
        if (!item) {
            // Named by its place in the selection: the host gave no name.
            Report(Unconverted, (L"#" + std::to_wstring(i + 1)).c_str(), Unreadable);
            continue;
        }
        if (!item->FileName || IsDotEntry(item->FileName))
            continue;
        bool full = IsFullPath(item->FileName);
        if (!full && (panel.Flags & PFLAGS_PLUGIN)) {
            Report(Unconverted, item->FileName, NameUnusable);
            continue;
        }
        picked.push_back({i, (item->Flags & PPIF_SELECTED) != 0, EntryOf(*item)});
        if (!full)
            picked.back().entry.path.insert(0, folder.empty() || folder.back() == L'\\' ? folder : folder + L'\\');
    }
    return picked;
}

// Clears the selection of every item the run took in full, as the host's
// own operations do; an item left alone, or a folder in which anything
// was, stays selected. The host counts the selected items in the panel's
// order, so the n-th marked item of the panel is the n-th selected one.
static void KeepSelectedWhatWasLeft(const PanelInfo &panel, const std::vector<bool> &taken)
{
    if (std::find(taken.begin(), taken.end(), true) == taken.end())
        return;
    std::vector<uint64_t> area;
    Far.PanelControl(PANEL_ACTIVE, FCTL_BEGINSELECTION, 0, nullptr);
    for (size_t i = 0, selected = 0; i < panel.ItemsNumber && selected < taken.size(); i++) {
        const PluginPanelItem *item = PanelItem(FCTL_GETPANELITEM, i, area);
        if (item && (item->Flags & PPIF_SELECTED) && taken[selected++])
            Far.PanelControl(PANEL_ACTIVE, FCTL_SETSELECTION, (intptr_t)i, nullptr);
    }
    Far.PanelControl(PANEL_ACTIVE, FCTL_ENDSELECTION, 0, nullptr);
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

// The run on the active panel's selection with the choices in Settings and
// WideSettings: the warning at its end, the selection left as the host's
// own operations leave it, the panels reread.
static void ConvertSelection()
{
    PanelInfo panel = {};
    panel.StructSize = sizeof panel;
    bool havePanel = Far.PanelControl(PANEL_ACTIVE, FCTL_GETPANELINFO, 0, &panel) != 0;
    bool onDisk = havePanel && ShowsFilesOnDisk(panel.PanelType == PTYPE_FILEPANEL, (panel.Flags & PFLAGS_PLUGIN) != 0,
                                                (panel.Flags & PFLAGS_REALNAMES) != 0);
    std::wstring folder = onDisk ? PanelFolder() : L"";
    std::vector<bool> taken(onDisk ? panel.SelectedItemsNumber : 0);
    StartRun();
    {
        RunScreen screen;
        StartChoosing();
        for (const Picked &picked : onDisk ? Selection(panel, folder) : std::vector<Picked>()) {
            if (Run.stopped)
                break;
            size_t left = Unconverted.count;
            bool handled = ProcessSelected(picked.entry);
            taken[picked.index] = picked.marked && handled && !Run.stopped && Unconverted.count == left;
        }
    }
    if (havePanel && !onDisk)
        ShowNoFilesOnDisk();
    ShowUnconverted(folder);
    if (onDisk)
        KeepSelectedWhatWasLeft(panel, taken);
    RefreshPanels();
}

void RunFromMenu()
{
    // Read from the store on every run, so a run for this time only leaves
    // the next one the choices remembered before.
    LoadSettings();
    HeldFilter filter;
    bool thisRunOnly = false;
    if (!AskChoices(thisRunOnly))
        return;
    if (!thisRunOnly)
        SaveSettings();
    ConvertSelection();
}

HANDLE RunFromMacro(const OpenMacroInfo *call)
{
    LoadSettings();
    if (!TakeMacroArguments(call))
        return nullptr;
    HeldFilter filter;
    ConvertSelection();
    return MacroAnswer(Run.converted, Unconverted.count);
}
