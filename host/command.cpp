#include "command.h"
#include "services.h"
#include "messages.h"
#include "../settings/settings.h"
#include "../walk/walk.h"

#include <cstdio>
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

// Whether the panel's items are files on disk: a plugin's panel (an archive,
// a remote site) shows names that are not, and its CurDir is its own text.
static bool ShowsFilesOnDisk(const PanelInfo &panel)
{
    return panel.PanelType == PTYPE_FILEPANEL && (!panel.Plugin || (panel.Flags & PFLAGS_REALNAMES));
}

// A drive letter and ":\", a network path ("\\server\share"), or a path
// from the root of the current drive.
static bool IsFullPath(const char *name)
{
    bool drive = ((name[0] | 0x20) >= 'a' && (name[0] | 0x20) <= 'z') && name[1] == ':' && name[2] == '\\';
    return drive || name[0] == '\\';
}

// An item named by its full path (the host's temporary panel, where "Find
// file" puts what it found) is taken as it stands; a plain name lies in the
// panel's folder, which only a folder panel has. The walk skips a selected
// ".." (or "."): walked with recursion on, it would convert the panel
// directory's parent.
static void ConvertSelection(PanelInfo &panel)
{
    panel.CurDir[sizeof panel.CurDir - 1] = '\0';
    int count = panel.SelectedItems ? panel.SelectedItemsNumber : 0;
    for (int i = 0; i < count; i++) {
        const FAR_FIND_DATA &entry = panel.SelectedItems[i].FindData;
        if (IsFullPath(entry.cFileName))
            ProcessEntry("", entry);
        else if (!panel.Plugin)
            ProcessEntry(panel.CurDir, entry);
        else
            Report(entry.cFileName, NameUnusable);
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

enum : size_t {
    // The host cuts a message line at about 15 columns less than the
    // screen's width; 64 fits an 80-column screen.
    WarningWidth = 64,
};

// Cuts text to width characters by putting "..." in its middle, keeping
// more of its end, where a path's file name is.
static void ShortenMiddle(const char *text, size_t width, char *out)
{
    size_t length = strlen(text);
    if (length <= width) {
        memcpy(out, text, length + 1);
        return;
    }
    size_t head = (width - 3) / 3, tail = width - 3 - head;
    memcpy(out, text, head);
    memcpy(out + head, "...", 3);
    memcpy(out + head + 3, text + length - tail, tail + 1);
}

// "name: reason", the name relative to the panel's folder when it lies in
// it, shortened to fit the line.
static void FormatUnconverted(const UnconvertedEntry &entry, const char *panelDir, char *line)
{
    const char *name = entry.path;
    size_t dirLength = strlen(panelDir);
    bool endsInSlash = dirLength > 0 && panelDir[dirLength - 1] == '\\';
    if (dirLength > 0 && strncmp(name, panelDir, dirLength) == 0 && (endsInSlash || name[dirLength] == '\\'))
        name += dirLength + !endsInSlash;
    const char *reason = HostInfo.GetMsg(HostInfo.ModuleNumber, MsgReadOnly + (entry.why - ReadOnly));
    size_t reasonLength = strnlen(reason, WarningWidth / 2);
    char shown[WarningWidth + 1];
    ShortenMiddle(name, WarningWidth - 2 - reasonLength, shown);
    snprintf(line, WarningWidth + 1, "%s: %.*s", shown, (int)reasonLength, reason);
}

// A message the user acknowledges; its help topic explains every warning.
static void Warn(const char *const *lines, int count)
{
    HostInfo.Message(HostInfo.ModuleNumber, FMSG_WARNING | FMSG_MB_OK, "Contents", lines, count, 0);
}

static void ShowNoFilesOnDisk()
{
    const char *lines[2] = {
        HostInfo.GetMsg(HostInfo.ModuleNumber, MsgTitle),
        HostInfo.GetMsg(HostInfo.ModuleNumber, MsgNoFilesOnDisk),
    };
    Warn(lines, 2);
}

// The message with its "%d" replaced by count. The text is the catalogue's,
// so it is never used as a format of its own.
static void FormatCount(int id, int count, char *out, size_t size)
{
    const char *message = HostInfo.GetMsg(HostInfo.ModuleNumber, id);
    const char *mark = strstr(message, "%d");
    if (mark)
        snprintf(out, size, "%.*s%d%s", (int)(mark - message), message, count, mark + 2);
    else
        snprintf(out, size, "%s", message);
}

// One warning after a run that left anything unconverted: how many, the
// first few entries with their reasons, and how many more there were.
static void ShowUnconverted(const char *panelDir)
{
    if (Unconverted.count == 0)
        return;
    static char text[ReportedEntries + 2][WarningWidth + 1];
    const char *lines[ReportedEntries + 3];
    int count = 0, listed = Unconverted.count < ReportedEntries ? Unconverted.count : ReportedEntries;
    lines[count++] = HostInfo.GetMsg(HostInfo.ModuleNumber, MsgTitle);
    FormatCount(MsgNotConverted, Unconverted.count, text[0], sizeof text[0]);
    lines[count++] = text[0];
    for (int i = 0; i < listed; i++) {
        FormatUnconverted(Unconverted.first[i], panelDir, text[i + 1]);
        lines[count++] = text[i + 1];
    }
    if (Unconverted.count > listed) {
        FormatCount(MsgAndMore, Unconverted.count - listed, text[listed + 1], sizeof text[0]);
        lines[count++] = text[listed + 1];
    }
    Warn(lines, count);
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
    ClearReport();
    bool onDisk = havePanel && ShowsFilesOnDisk(panel);
    if (onDisk)
        ConvertSelection(panel);

    if (items[ThisRunOnlyItem].Selected)
        Settings = previous;
    else
        SaveSettings();
    HostInfo.RestoreScreen(screen);
    if (havePanel && !onDisk)
        ShowNoFilesOnDisk();
    ShowUnconverted(panel.CurDir);
    HostInfo.Control(INVALID_HANDLE_VALUE, FCTL_UPDATEPANEL, nullptr);
    HostInfo.Control(INVALID_HANDLE_VALUE, FCTL_REDRAWPANEL, nullptr);
}
