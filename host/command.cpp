#include "command.h"
#include "host.h"
#include "messages.h"
#include "../settings/settings.h"
#include "../walk/walk.h"

#include <cstring>

enum DialogItems {
    ToLfItem = 1,
    ToCrLfItem,
    SubDirItem = 4,
    ThisRunOnlyItem = 6,
    AcceptItem = 8,
    DialogItemCount = 10,
};

static const uintptr_t FirstLiteralAddress = 2000;

// Message texts longer than the item's 512-byte field are cut at 511
// characters and terminated.
static void CopyItemText(char *field, size_t size, const char *text)
{
    size_t length = text ? strnlen(text, size - 1) : 0;
    memcpy(field, text ? text : "", length);
    field[length] = '\0';
}

void ExpandDialogTemplate(const DialogItemTemplate *templates, FarDialogItem *items, int count)
{
    for (int i = 0; i < count; i++) {
        const DialogItemTemplate &from = templates[i];
        FarDialogItem &item = items[i];
        memset(&item, 0, sizeof item);
        item.Type = from.Type;
        item.X1 = from.X1;
        item.Y1 = from.Y1;
        item.X2 = from.X2;
        item.Y2 = from.Y2;
        item.Focus = from.Focus;
        item.Selected = from.Selected;
        item.Flags = from.Flags;
        item.DefaultButton = from.DefaultButton;
        const char *text = from.Data < FirstLiteralAddress
                               ? HostInfo.GetMsg(HostInfo.ModuleNumber, (int)from.Data)
                               : (const char *)from.Data;
        CopyItemText(item.Data, sizeof item.Data, text);
    }
}

static void ExpandConversionDialog(FarDialogItem *items)
{
    const DWORD separator = DIF_BOXCOLOR | DIF_SEPARATOR;
    const uintptr_t empty = (uintptr_t) "";
    const DialogItemTemplate templates[DialogItemCount] = {
        {DI_DOUBLEBOX, 3, 1, 42, 10, 0, 0, 0, 0, MsgTitle},
        {DI_RADIOBUTTON, 5, 2, 0, 0, 0, 0, DIF_GROUP, 0, (uintptr_t) "to &Unix"},
        {DI_RADIOBUTTON, 5, 3, 0, 0, 0, 0, 0, 0, (uintptr_t) "to &Windows"},
        {DI_TEXT, 5, 4, 0, 0, 0, 0, separator, 0, empty},
        {DI_CHECKBOX, 5, 5, 0, 0, 0, 0, 0, 0, MsgProcessSubDir},
        {DI_TEXT, 5, 6, 0, 0, 0, 0, separator, 0, empty},
        {DI_CHECKBOX, 5, 7, 0, 0, 0, 0, 0, 0, MsgThisRunOnly},
        {DI_TEXT, 5, 8, 0, 0, 0, 0, separator, 0, empty},
        {DI_BUTTON, 0, 9, 0, 0, 0, 0, DIF_CENTERGROUP, 1, MsgAccept},
        {DI_BUTTON, 0, 9, 0, 0, 0, 0, DIF_CENTERGROUP, 0, MsgCancel},
    };
    ExpandDialogTemplate(templates, items, DialogItemCount);
}

static void PresetDialog(FarDialogItem *items)
{
    FarDialogItem &mode = items[Settings.ConvertMode == ModeToLf ? ToLfItem : ToCrLfItem];
    mode.Selected = 1;
    mode.Focus = 1;
    items[SubDirItem].Selected = (int)Settings.ProcessSubDir;
    items[ThisRunOnlyItem].Selected = 0;
}

// A selected ".." (or ".") is skipped: walked with recursion on, it would
// convert the panel directory's parent.
static void ConvertSelection(PanelInfo &panel)
{
    panel.CurDir[sizeof panel.CurDir - 1] = '\0';
    int count = panel.SelectedItems ? panel.SelectedItemsNumber : 0;
    for (int i = 0; i < count; i++) {
        const FAR_FIND_DATA &entry = panel.SelectedItems[i].FindData;
        char path[MAX_PATH];
        if (!IsDotEntry(LastComponent(entry.cFileName)) && JoinPath(panel.CurDir, entry.cFileName, path))
            ProcessEntry(path, entry.dwFileAttributes);
    }
}

static void ShowWorkingBox()
{
    const char *lines[2] = {
        HostInfo.GetMsg(HostInfo.ModuleNumber, MsgTitle),
        HostInfo.GetMsg(HostInfo.ModuleNumber, MsgWorking),
    };
    HostInfo.Message(HostInfo.ModuleNumber, 0, nullptr, lines, 2, 0);
}

void RunConversionCommand()
{
    FarDialogItem items[DialogItemCount];
    ExpandConversionDialog(items);
    PresetDialog(items);
    int closedBy = HostInfo.Dialog(HostInfo.ModuleNumber, -1, -1, 46, 12, "Contents", items,
                                   DialogItemCount);
    if (closedBy != AcceptItem || (!items[ToLfItem].Selected && !items[ToCrLfItem].Selected))
        return;

    const SettingsRecord previous = Settings;
    Settings.ConvertMode = items[ToLfItem].Selected ? ModeToLf : ModeToCrLf;
    Settings.ProcessSubDir = (DWORD)items[SubDirItem].Selected;

    // When the host cannot describe the panel, nothing is walked; the run
    // still ends as any other does.
    PanelInfo panel;
    memset(&panel, 0, sizeof panel);
    bool havePanel = HostInfo.Control(INVALID_HANDLE_VALUE, FCTL_GETPANELINFO, &panel) != 0;
    HANDLE screen = HostInfo.SaveScreen(0, 0, -1, -1);
    ShowWorkingBox();
    if (havePanel)
        ConvertSelection(panel);

    if (items[ThisRunOnlyItem].Selected)
        Settings = previous;
    else
        SaveSettings();
    HostInfo.RestoreScreen(screen);
    HostInfo.Control(INVALID_HANDLE_VALUE, FCTL_UPDATEPANEL, nullptr);
    HostInfo.Control(INVALID_HANDLE_VALUE, FCTL_REDRAWPANEL, nullptr);
}
