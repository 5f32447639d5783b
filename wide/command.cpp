#include "command.h"
#include "choices.h"
#include "messages.h"
#include "progress.h"
#include "services.h"
#include "walk.h"

#include <cstring>

enum DialogItems {
    ToLfItem = 1,
    ToCrLfItem,
    SubDirItem = 4,
    ThisRunOnlyItem = 6,
    AcceptItem = 8,
    DialogItemCount = 10,
};

// The items with the remembered choices preset; the host copies them.
static void FillDialog(FarDialogItem *items)
{
    const FLAGS64 separator = DIF_BOXCOLOR | DIF_SEPARATOR, buttons = DIF_CENTERGROUP;
    const struct {
        DialogItemType type;
        intptr_t x1, y1, x2, y2;
        FLAGS64 flags;
        const wchar_t *text;
    } shapes[DialogItemCount] = {
        {DI_DOUBLEBOX, 3, 1, 42, 10, 0, Msg(MTitle)},
        {DI_RADIOBUTTON, 5, 2, 0, 0, DIF_GROUP, L"to &Unix"},
        {DI_RADIOBUTTON, 5, 3, 0, 0, 0, L"to &Windows"},
        {DI_TEXT, 5, 4, 0, 0, separator, L""},
        {DI_CHECKBOX, 5, 5, 0, 0, 0, Msg(MProcessSubDir)},
        {DI_TEXT, 5, 6, 0, 0, separator, L""},
        {DI_CHECKBOX, 5, 7, 0, 0, 0, Msg(MThisRunOnly)},
        {DI_TEXT, 5, 8, 0, 0, separator, L""},
        {DI_BUTTON, 0, 9, 0, 0, buttons | DIF_DEFAULTBUTTON, Msg(MAccept)},
        {DI_BUTTON, 0, 9, 0, 0, buttons, Msg(MCancel)},
    };
    for (int i = 0; i < DialogItemCount; i++) {
        items[i] = FarDialogItem();
        items[i].Type = shapes[i].type;
        items[i].X1 = shapes[i].x1;
        items[i].Y1 = shapes[i].y1;
        items[i].X2 = shapes[i].x2;
        items[i].Y2 = shapes[i].y2;
        items[i].Flags = shapes[i].flags;
        items[i].Data = shapes[i].text;
    }
    FarDialogItem &mode = items[Choices.ConvertMode == 0 ? ToLfItem : ToCrLfItem];
    mode.Selected = 1;
    mode.Flags |= DIF_FOCUS;
    items[SubDirItem].Selected = Choices.ProcessSubDir != 0;
}

// Shows the dialog; false unless the user chose Convert. The new choices
// are in Choices then, and thisRunOnly tells whether to keep them.
static bool AskChoices(bool &thisRunOnly)
{
    FarDialogItem items[DialogItemCount];
    FillDialog(items);
    HANDLE dialog = Far.DialogInit(&PluginGuid, &DialogGuid, -1, -1, 46, 12, L"Contents", items,
                                   DialogItemCount, 0, 0, nullptr, nullptr);
    if (dialog == INVALID_HANDLE_VALUE)
        return false;
    bool accepted = Far.DialogRun(dialog) == AcceptItem;
    auto checked = [&](int item) { return Far.SendDlgMessage(dialog, DM_GETCHECK, item, nullptr) == BSTATE_CHECKED; };
    if (accepted && (checked(ToLfItem) || checked(ToCrLfItem))) {
        Choices.ConvertMode = checked(ToLfItem) ? 0 : 1;
        Choices.ProcessSubDir = checked(SubDirItem);
        thisRunOnly = checked(ThisRunOnlyItem);
    } else {
        accepted = false;
    }
    Far.DialogFree(dialog);
    return accepted;
}

// Whether the panel's items are files on disk: a plugin's panel (an
// archive, a remote site) shows names that are not.
static bool ShowsFilesOnDisk(const PanelInfo &panel)
{
    return panel.PanelType == PTYPE_FILEPANEL && (!(panel.Flags & PFLAGS_PLUGIN) || (panel.Flags & PFLAGS_REALNAMES));
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

// A drive letter and ":\", or a network or \\?\ path.
static bool IsFullPath(const wchar_t *name)
{
    bool drive = ((name[0] | 0x20) >= 'a' && (name[0] | 0x20) <= 'z') && name[1] == ':' && name[2] == '\\';
    return drive || (name[0] == '\\' && name[1] == '\\');
}

static bool IsDotEntry(const wchar_t *name)
{
    return wcscmp(name, L".") == 0 || wcscmp(name, L"..") == 0;
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
    const std::wstring head = FolderHead(folder);
    for (size_t i = 0; i < panel.SelectedItemsNumber; i++) {
        size_t size = (size_t)Far.PanelControl(PANEL_ACTIVE, FCTL_GETSELECTEDPANELITEM, (intptr_t)i, nullptr);
        if (size < sizeof(PluginPanelItem))
            continue;
        area.assign(size / 8 + 1, 0);
        FarGetPluginPanelItem get = {sizeof get, area.size() * 8, (PluginPanelItem *)area.data()};
        Far.PanelControl(PANEL_ACTIVE, FCTL_GETSELECTEDPANELITEM, (intptr_t)i, &get);
        const PluginPanelItem &item = *get.Item;
        if (!item.FileName || IsDotEntry(item.FileName))
            continue;
        bool full = IsFullPath(item.FileName);
        if (!full && (panel.Flags & PFLAGS_PLUGIN)) {
            Report(item.FileName, NameUnusable);
            continue;
        }
        entries.push_back(EntryOf(item));
        if (!full)
            entries.back().path.insert(0, head);
    }
    return entries;
}

// A message the user acknowledges; its help topic explains every warning.
static void Warn(const std::vector<std::wstring> &lines)
{
    std::vector<const wchar_t *> items;
    for (const std::wstring &line : lines)
        items.push_back(line.c_str());
    Far.Message(&PluginGuid, nullptr, FMSG_WARNING | FMSG_MB_OK, L"Contents", items.data(), items.size(), 0);
}

// "name: reason", the name relative to the panel's folder when it lies in
// it, shortened to fit the line.
static std::wstring UnconvertedLine(const UnconvertedEntry &entry, const std::wstring &folder)
{
    std::wstring name = entry.path, head = FolderHead(folder);
    if (!head.empty() && LiesBelow(name, head))
        name.erase(0, head.size());
    std::wstring reason = ShortenMiddle(Msg(MReadOnly + (entry.why - ReadOnly)), LineWidth / 2);
    return ShortenMiddle(name, LineWidth - 2 - reason.size()) + L": " + reason;
}

static void ShowUnconverted(const std::wstring &folder)
{
    if (Run.unconvertedCount == 0)
        return;
    std::vector<std::wstring> lines = {Msg(MTitle), WithCount(MNotConverted, Run.unconvertedCount)};
    for (const UnconvertedEntry &entry : Run.unconverted)
        lines.push_back(UnconvertedLine(entry, folder));
    if (Run.unconvertedCount > Run.unconverted.size())
        lines.push_back(WithCount(MAndMore, Run.unconvertedCount - Run.unconverted.size()));
    Warn(lines);
}

static void RefreshPanels()
{
    for (HANDLE panel : {PANEL_ACTIVE, PANEL_PASSIVE}) {
        Far.PanelControl(panel, FCTL_UPDATEPANEL, 1, nullptr);
        Far.PanelControl(panel, FCTL_REDRAWPANEL, 0, nullptr);
    }
}

void RunConversion()
{
    // Read from the store on every run, so a run for this time only leaves
    // the next one the choices remembered before.
    LoadChoices();
    bool thisRunOnly = false;
    if (!AskChoices(thisRunOnly))
        return;
    if (!thisRunOnly)
        SaveChoices();

    PanelInfo panel = {};
    panel.StructSize = sizeof panel;
    bool havePanel = Far.PanelControl(PANEL_ACTIVE, FCTL_GETPANELINFO, 0, &panel) != 0;
    bool onDisk = havePanel && ShowsFilesOnDisk(panel);
    std::wstring folder = onDisk ? PanelFolder() : L"";
    HANDLE screen = Far.SaveScreen(0, 0, -1, -1);
    StartProgress();
    StartRun();
    if (onDisk)
        for (const Entry &entry : Selection(panel, folder))
            if (!Run.stopped)
                ProcessSelected(entry);
    Far.RestoreScreen(screen);
    if (havePanel && !onDisk)
        Warn({Msg(MTitle), Msg(MNoFilesOnDisk)});
    ShowUnconverted(folder);
    RefreshPanels();
}
