#include "command.h"
#include "services.h"
#include "settings.h"
#include "walk.h"
#include "../run/dialog.h"
#include "../run/messages.h"
#include "../run/warning.h"

#include <cstring>

static_assert(int(DI_TEXT) == KindText && int(DI_DOUBLEBOX) == KindDoubleBox && int(DI_BUTTON) == KindButton &&
                  int(DI_CHECKBOX) == KindCheckBox && int(DI_RADIOBUTTON) == KindRadioButton &&
                  unsigned(DIF_BOXCOLOR) == TraitBoxColor && unsigned(DIF_GROUP) == TraitGroup &&
                  unsigned(DIF_CENTERGROUP) == TraitCenterGroup && unsigned(DIF_SEPARATOR) == TraitSeparator,
              "the dialog's model names the host's item types and flags");

static const uintptr_t FirstLiteralAddress = 2000;

static const char *Message(int id)
{
    return HostInfo.GetMsg(HostInfo.ModuleNumber, id);
}

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
                               ? Message((int)from.Data)
                               : (const char *)from.Data;
        CopyItemText(item.Data, sizeof item.Data, text);
    }
}

static void ExpandConversionDialog(const DialogLayout &dialog, FarDialogItem *items)
{
    DialogItemTemplate templates[MostDialogItems];
    for (int i = 0; i < dialog.count; i++) {
        const DialogShape &shape = dialog.items[i];
        templates[i] = {shape.kind, shape.x1, shape.y1, shape.x2, shape.y2, 0, 0, shape.traits,
                        shape.isDefault, shape.message >= 0 ? (uintptr_t)shape.message : (uintptr_t)shape.literal};
    }
    ExpandDialogTemplate(templates, items, dialog.count);
}

static void PresetDialog(const DialogLayout &dialog, FarDialogItem *items)
{
    FarDialogItem &mode = items[ModeItem(dialog, Settings.ConvertMode)];
    mode.Selected = 1;
    mode.Focus = 1;
    items[dialog.subDir].Selected = (int)Settings.ProcessSubDir;
    items[dialog.thisRunOnly].Selected = 0;
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
            Report(Unconverted, entry.cFileName, NameUnusable);
    }
}

static void ShowWorkingBox()
{
    const char *lines[2] = {Message(MsgTitle), Message(MsgWorking)};
    HostInfo.Message(HostInfo.ModuleNumber, 0, nullptr, lines, 2, 0);
}

// A message the user acknowledges; its help topic explains every warning.
static void Warn(const char *const *lines, int count)
{
    HostInfo.Message(HostInfo.ModuleNumber, FMSG_WARNING | FMSG_MB_OK, "Contents", lines, count, 0);
}

static void ShowNoFilesOnDisk()
{
    const char *lines[2] = {Message(MsgTitle), Message(MsgNoFilesOnDisk)};
    Warn(lines, 2);
}

// One warning after a run that left anything unconverted: how many, the
// first few entries with their reasons, and how many more there were.
static void ShowUnconverted(const char *panelDir)
{
    static WarningLine<char> text[WarningTexts];
    const char *lines[WarningLines];
    size_t count = ListUnconverted(Unconverted, panelDir, Message, ReasonMessage, text, lines);
    if (count > 0)
        Warn(lines, (int)count);
}

void RunConversionCommand()
{
    const DialogLayout dialog = LayOutDialog(NoOwnItems);
    FarDialogItem items[MostDialogItems];
    ExpandConversionDialog(dialog, items);
    PresetDialog(dialog, items);
    int closedBy = HostInfo.Dialog(HostInfo.ModuleNumber, -1, -1, dialog.width, dialog.height, "Contents", items,
                                   dialog.count);
    const SettingsRecord previous = Settings;
    if (closedBy != dialog.accept || !ChosenSettings(items[dialog.toLf].Selected, items[dialog.toCrLf].Selected,
                                                     items[dialog.subDir].Selected, Settings))
        return;

    // When the host cannot describe the panel, nothing is walked; the run
    // still ends as any other does.
    PanelInfo panel;
    memset(&panel, 0, sizeof panel);
    bool havePanel = HostInfo.Control(INVALID_HANDLE_VALUE, FCTL_GETPANELINFO, &panel) != 0;
    HANDLE screen = HostInfo.SaveScreen(0, 0, -1, -1);
    ShowWorkingBox();
    Unconverted.count = 0;
    ForgetFolderFacts();
    bool onDisk = havePanel && ShowsFilesOnDisk(panel.PanelType == PTYPE_FILEPANEL, panel.Plugin != 0,
                                                (panel.Flags & PFLAGS_REALNAMES) != 0);
    if (onDisk)
        ConvertSelection(panel);

    if (items[dialog.thisRunOnly].Selected)
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
