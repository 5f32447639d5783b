// The host's plugin interface, the 32-bit single-byte revision whose startup
// record is 372 bytes. Written from the host's published binary layout; on
// 32-bit Windows the records are packed to 2 bytes, and every size and
// offset the module touches is pinned below.
#pragma once

#include "../platform/platform.h"

#include <cstddef>

enum : int {
    NM = 260,
    MinStartupInfoSize = 372,
};

enum DialogItemTypes : int {
    DI_TEXT = 0,
    DI_DOUBLEBOX = 3,
    DI_BUTTON = 7,
    DI_CHECKBOX = 8,
    DI_RADIOBUTTON = 9,
};

enum DialogItemFlags : DWORD {
    DIF_BOXCOLOR = 0x200,
    DIF_GROUP = 0x400,
    DIF_CENTERGROUP = 0x4000,
    DIF_SEPARATOR = 0x10000,
};

enum FileControlCommands : int {
    FCTL_GETPANELINFO = 1,
    FCTL_UPDATEPANEL = 3,
    FCTL_REDRAWPANEL = 5,
};

enum MessageFlags : DWORD {
    FMSG_WARNING = 0x00000001,
    FMSG_MB_OK = 0x00010000,
};

enum PanelTypes : int {
    PTYPE_FILEPANEL = 0,
};

enum PanelFlags : DWORD {
    PFLAGS_REALNAMES = 0x20, // the items are real file names
};

enum OpenFromPlaces : int {
    OPEN_PLUGINSMENU = 1,
};

#ifdef _WIN32
#pragma pack(push, 2)
#endif

// WIN32_FIND_DATAA as the host declares it, under its packing.
struct FAR_FIND_DATA {
    DWORD dwFileAttributes;
    FILETIME ftCreationTime;
    FILETIME ftLastAccessTime;
    FILETIME ftLastWriteTime;
    DWORD nFileSizeHigh;
    DWORD nFileSizeLow;
    DWORD dwReserved0;
    DWORD dwReserved1;
    char cFileName[MAX_PATH];
    char cAlternateFileName[14];
};

struct PluginPanelItem {
    FAR_FIND_DATA FindData;
    DWORD PackSizeHigh;
    DWORD PackSize;
    DWORD Flags;
    DWORD NumberOfLinks;
    char *Description;
    char *Owner;
    char **CustomColumnData;
    int CustomColumnNumber;
    DWORD_PTR UserData;
    DWORD CRC32;
    DWORD_PTR Reserved[2];
};

struct PanelInfo {
    int PanelType;
    int Plugin;
    RECT PanelRect;
    PluginPanelItem *PanelItems;
    int ItemsNumber;
    PluginPanelItem *SelectedItems;
    int SelectedItemsNumber;
    int CurrentItem;
    int TopPanelItem;
    int Visible;
    int Focus;
    int ViewMode;
    char ColumnTypes[80];
    char ColumnWidths[80];
    char CurDir[NM];
    int ShortNames;
    int SortMode;
    DWORD Flags;
    DWORD Reserved;
};

struct FarDialogItem {
    int Type;
    int X1, Y1, X2, Y2;
    int Focus;
    union {
        int Selected;
        const char *History;
        const char *Mask;
        struct FarList *ListItems;
        int ListPos;
        void *VBuf;
    };
    DWORD Flags;
    int DefaultButton;
    char Data[512];
};

struct PluginInfo {
    int StructSize;
    DWORD Flags;
    const char *const *DiskMenuStrings;
    int *DiskMenuNumbers;
    int DiskMenuStringsNumber;
    const char *const *PluginMenuStrings;
    int PluginMenuStringsNumber;
    const char *const *PluginConfigStrings;
    int PluginConfigStringsNumber;
    const char *CommandPrefix;
    DWORD Reserved;
};

typedef const char *(WINAPI *FARAPIGETMSG)(INT_PTR PluginNumber, int MsgId);
typedef int(WINAPI *FARAPIDIALOG)(INT_PTR PluginNumber, int X1, int Y1, int X2, int Y2,
                                  const char *HelpTopic, FarDialogItem *Item, int ItemsNumber);
typedef int(WINAPI *FARAPIMESSAGE)(INT_PTR PluginNumber, DWORD Flags, const char *HelpTopic,
                                   const char *const *Items, int ItemsNumber, int ButtonsNumber);
typedef int(WINAPI *FARAPICONTROL)(HANDLE hPlugin, int Command, void *Param);
typedef HANDLE(WINAPI *FARAPISAVESCREEN)(int X1, int Y1, int X2, int Y2);
typedef void(WINAPI *FARAPIRESTORESCREEN)(HANDLE hScreen);
typedef int(WINAPI *FARAPIGETDIRLIST)(const char *Dir, PluginPanelItem **pPanelItem,
                                      int *pItemsNumber);
typedef void(WINAPI *FARAPIFREEDIRLIST)(const PluginPanelItem *PanelItem);
typedef void *FARAPIUNUSED;

struct PluginStartupInfo {
    int StructSize;
    char ModuleName[NM];
    INT_PTR ModuleNumber;
    const char *RootKey;
    FARAPIUNUSED Menu;
    FARAPIDIALOG Dialog;
    FARAPIMESSAGE Message;
    FARAPIGETMSG GetMsg;
    FARAPICONTROL Control;
    FARAPISAVESCREEN SaveScreen;
    FARAPIRESTORESCREEN RestoreScreen;
    FARAPIGETDIRLIST GetDirList;
    FARAPIUNUSED GetPluginDirList;
    FARAPIFREEDIRLIST FreeDirList;
    FARAPIUNUSED Viewer, Editor, CmpName, CharTable, Text, EditorControl, FSF, ShowHelp,
        AdvControl, InputBox, DialogEx, SendDlgMessage, DefDlgProc, Reserved, ViewerControl;
};

#ifdef _WIN32
#pragma pack(pop)

static_assert(sizeof(void *) == 4, "the host is a 32-bit program");
static_assert(sizeof(PluginStartupInfo) == MinStartupInfoSize, "PluginStartupInfo");
static_assert(offsetof(PluginStartupInfo, ModuleName) == 4, "ModuleName");
static_assert(offsetof(PluginStartupInfo, ModuleNumber) == 264, "ModuleNumber");
static_assert(offsetof(PluginStartupInfo, RootKey) == 268, "RootKey");
static_assert(offsetof(PluginStartupInfo, Dialog) == 276, "Dialog");
static_assert(offsetof(PluginStartupInfo, Message) == 280, "Message");
static_assert(offsetof(PluginStartupInfo, GetMsg) == 284, "GetMsg");
static_assert(offsetof(PluginStartupInfo, Control) == 288, "Control");
static_assert(offsetof(PluginStartupInfo, SaveScreen) == 292, "SaveScreen");
static_assert(offsetof(PluginStartupInfo, RestoreScreen) == 296, "RestoreScreen");
static_assert(offsetof(PluginStartupInfo, GetDirList) == 300, "GetDirList");
static_assert(offsetof(PluginStartupInfo, FreeDirList) == 308, "FreeDirList");
static_assert(offsetof(PluginStartupInfo, ViewerControl) == 368, "ViewerControl");

static_assert(sizeof(PluginInfo) == 44, "PluginInfo");
static_assert(offsetof(PluginInfo, PluginMenuStrings) == 20, "PluginMenuStrings");
static_assert(offsetof(PluginInfo, PluginMenuStringsNumber) == 24, "PluginMenuStringsNumber");
static_assert(offsetof(PluginInfo, Reserved) == 40, "PluginInfo.Reserved");

static_assert(sizeof(PanelInfo) == 496, "PanelInfo");
static_assert(offsetof(PanelInfo, PanelItems) == 24, "PanelItems");
static_assert(offsetof(PanelInfo, SelectedItems) == 32, "SelectedItems");
static_assert(offsetof(PanelInfo, SelectedItemsNumber) == 36, "SelectedItemsNumber");
static_assert(offsetof(PanelInfo, ColumnTypes) == 60, "ColumnTypes");
static_assert(offsetof(PanelInfo, Plugin) == 4, "Plugin");
static_assert(offsetof(PanelInfo, CurDir) == 220, "CurDir");
static_assert(offsetof(PanelInfo, Flags) == 488, "PanelInfo.Flags");
static_assert(offsetof(PanelInfo, Reserved) == 492, "PanelInfo.Reserved");

static_assert(sizeof(FAR_FIND_DATA) == 318, "FindData");
static_assert(sizeof(PluginPanelItem) == 366, "PluginPanelItem");
static_assert(offsetof(PluginPanelItem, FindData.dwFileAttributes) == 0, "dwFileAttributes");
static_assert(offsetof(PluginPanelItem, FindData.ftLastWriteTime) == 20, "ftLastWriteTime");
static_assert(offsetof(PluginPanelItem, FindData.cFileName) == 44, "cFileName");
static_assert(offsetof(PluginPanelItem, FindData.cAlternateFileName) == 304, "cAlternateFileName");
static_assert(offsetof(PluginPanelItem, PackSizeHigh) == 318, "PackSizeHigh");
static_assert(offsetof(PluginPanelItem, Description) == 334, "Description");
static_assert(offsetof(PluginPanelItem, UserData) == 350, "UserData");
static_assert(offsetof(PluginPanelItem, Reserved) == 358, "PluginPanelItem.Reserved");

static_assert(sizeof(FarDialogItem) == 548, "FarDialogItem");
static_assert(offsetof(FarDialogItem, X1) == 4, "X1");
static_assert(offsetof(FarDialogItem, Y2) == 16, "Y2");
static_assert(offsetof(FarDialogItem, Focus) == 20, "Focus");
static_assert(offsetof(FarDialogItem, Selected) == 24, "Selected");
static_assert(offsetof(FarDialogItem, Flags) == 28, "Flags");
static_assert(offsetof(FarDialogItem, DefaultButton) == 32, "DefaultButton");
static_assert(offsetof(FarDialogItem, Data) == 36, "Data");
#endif
