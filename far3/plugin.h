// Today's host's wide-character plugin interface, as far as this module and
// the stand-in host use it. Written from the host's published binary layout:
// natural alignment, no packing; sizes, pointers and StructSize double in
// the 64-bit build while every flag type is 64 bits in both. Every size and
// offset relied on is pinned below for both widths.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>

typedef uint64_t FLAGS64;

enum VersionStage : int {
    VS_RELEASE = 0,
};

struct VersionInfo {
    DWORD Major, Minor, Revision, Build;
    VersionStage Stage;
};

struct GlobalInfo {
    size_t StructSize;
    VersionInfo MinFarVersion;
    VersionInfo Version;
    GUID Guid;
    const wchar_t *Title;
    const wchar_t *Description;
    const wchar_t *Author;
    void *Instance;
};

struct PluginMenuItem {
    const GUID *Guids;
    const wchar_t *const *Strings;
    size_t Count;
};

struct PluginInfo {
    size_t StructSize;
    FLAGS64 Flags;
    PluginMenuItem DiskMenu;
    PluginMenuItem PluginMenu;
    PluginMenuItem PluginConfig;
    const wchar_t *CommandPrefix;
    void *Instance;
};

enum OpenFromPlace : int {
    OPEN_PLUGINSMENU = 1,
    OPEN_FROMMACRO = 11,
};

struct OpenInfo {
    size_t StructSize;
    OpenFromPlace OpenFrom;
    const GUID *Guid;
    intptr_t Data;
    void *Instance;
};

enum DialogItemType : int {
    DI_TEXT = 0,
    DI_DOUBLEBOX = 3,
    DI_EDIT = 4,
    DI_BUTTON = 7,
    DI_CHECKBOX = 8,
    DI_RADIOBUTTON = 9,
};

enum : FLAGS64 {
    DIF_BOXCOLOR = 0x200,
    DIF_GROUP = 0x400,
    DIF_CENTERGROUP = 0x4000,
    DIF_SEPARATOR = 0x10000,
    DIF_HISTORY = 0x40000,    // on an edit line
    DIF_BTNNOCLOSE = 0x40000, // on a button
    DIF_DEFAULTBUTTON = 0x100000000ull,
    DIF_FOCUS = 0x200000000ull,
};

struct FarDialogItem {
    DialogItemType Type;
    intptr_t X1, Y1, X2, Y2;
    intptr_t Selected; // the check or radio state; one view of a union
    const wchar_t *History;
    const wchar_t *Mask;
    FLAGS64 Flags;
    const wchar_t *Data;
    size_t MaxLength;
    intptr_t UserData;
    intptr_t Reserved[2];
};

enum : FLAGS64 {
    FMSG_WARNING = 0x1,
    FMSG_LEFTALIGN = 0x8,
    FMSG_MB_OK = 0x10000,
    FMSG_MB_YESNO = 0x40000,
};

enum : intptr_t {
    DM_SETFOCUS = 13,
    DM_GETCHECK = 25,
    DM_GETCONSTTEXTPTR = 63,
    DN_BTNCLICK = 4097,
    DN_CLOSE = 4117,
    BSTATE_CHECKED = 1,
};

enum FileControlCommand : int {
    FCTL_GETPANELINFO = 1,
    FCTL_UPDATEPANEL = 2,
    FCTL_REDRAWPANEL = 3,
    FCTL_SETSELECTION = 6,
    FCTL_GETPANELITEM = 21,
    FCTL_GETSELECTEDPANELITEM = 22,
    FCTL_GETPANELDIRECTORY = 24,
    FCTL_BEGINSELECTION = 27,
    FCTL_ENDSELECTION = 28,
};

#define PANEL_ACTIVE ((HANDLE)(intptr_t)-1)
#define PANEL_PASSIVE ((HANDLE)(intptr_t)-2)
#define PANEL_NONE ((HANDLE)(intptr_t)-1)

enum PanelTypes : int {
    PTYPE_FILEPANEL = 0,
};

enum : FLAGS64 {
    PFLAGS_REALNAMES = 0x20,
    PFLAGS_PLUGIN = 0x800,
    PPIF_SELECTED = 0x40000000,
};

struct PanelInfo {
    size_t StructSize;
    HANDLE PluginHandle;
    GUID OwnerGuid;
    FLAGS64 Flags;
    size_t ItemsNumber;
    size_t SelectedItemsNumber;
    RECT PanelRect;
    size_t CurrentItem;
    size_t TopPanelItem;
    intptr_t ViewMode;
    PanelTypes PanelType;
    int SortMode;
};

struct FarPanelDirectory {
    size_t StructSize;
    const wchar_t *Name;
    const wchar_t *Param;
    GUID PluginId;
    const wchar_t *File;
};

struct UserDataItem {
    void *Data;
    void(WINAPI *FreeData)(void *, const void *);
};

struct PluginPanelItem {
    FILETIME CreationTime;
    FILETIME LastAccessTime;
    FILETIME LastWriteTime;
    FILETIME ChangeTime;
    uint64_t FileSize;
    uint64_t AllocationSize;
    const wchar_t *FileName;
    const wchar_t *AlternateFileName;
    const wchar_t *Description;
    const wchar_t *Owner;
    const wchar_t *const *CustomColumnData;
    size_t CustomColumnNumber;
    FLAGS64 Flags;
    UserDataItem UserData;
    uintptr_t FileAttributes;
    uintptr_t NumberOfLinks;
    uintptr_t CRC32;
    intptr_t Reserved[2];
};

struct FarGetPluginPanelItem {
    size_t StructSize;
    size_t Size;
    PluginPanelItem *Item;
};

enum SettingsCommand : int {
    SCTL_CREATE = 0,
    SCTL_FREE = 1,
    SCTL_SET = 2,
    SCTL_GET = 3,
};

// The host's own settings: SCTL_CREATE with the all-zero GUID opens them.
enum : size_t {
    FSSF_CONFIRMATIONS = 16,
};

enum AdvancedControlCommands : int {
    ACTL_SETPROGRESSSTATE = 21,
    ACTL_SETPROGRESSVALUE = 22,
    ACTL_PROGRESSNOTIFY = 27,
};

enum TaskbarProgressState : intptr_t {
    TBPS_NOPROGRESS = 0,
    TBPS_NORMAL = 2,
};

struct ProgressValue {
    size_t StructSize;
    uint64_t Completed;
    uint64_t Total;
};

enum FarSettingsType : int {
    FST_QWORD = 2,
    FST_STRING = 3,
};

enum : intptr_t {
    PSL_ROAMING = 0,
};

struct FarSettingsCreate {
    size_t StructSize;
    GUID Guid;
    HANDLE Handle;
};

struct FarSettingsItem {
    size_t StructSize;
    size_t Root;
    const wchar_t *Name;
    FarSettingsType Type;
    union {
        uint64_t Number;
        const wchar_t *String;
        struct {
            size_t Size;
            const void *Data;
        } Data;
    } Value;
};

typedef intptr_t(WINAPI *DialogProc)(HANDLE, intptr_t, intptr_t, void *);
typedef void *FarService; // a service this module does not call

enum : FLAGS64 {
    PN_CMPNAMELIST = 0x10000,
    PN_CHECKMASK = 0x30000,
    PN_SKIPPATH = 0x1000000,
    PN_SHOWERRORMESSAGE = 0x2000000,
};

struct FarStandardFunctions {
    size_t StructSize;
    FarService Before[40];
    size_t(WINAPI *ProcessName)(const wchar_t *masks, wchar_t *name, size_t size, FLAGS64 flags);
    FarService After[7];
};

// The host's file filters.
enum FarFilterControl : int {
    FFCTL_CREATEFILEFILTER = 0,
    FFCTL_FREEFILEFILTER = 1,
    FFCTL_OPENFILTERSMENU = 2,
    FFCTL_STARTINGTOFILTER = 3,
    FFCTL_ISFILEINFILTER = 4,
};

enum : intptr_t {
    FFT_CUSTOM = 4,
};

// A macro's call: its arguments, and the values a module hands back.
enum FarMacroVarType : int {
    FMVT_UNKNOWN = 0,
    FMVT_INTEGER = 1,
    FMVT_STRING = 2,
    FMVT_DOUBLE = 3,
    FMVT_BOOLEAN = 4,
    FMVT_NIL = 7,
};

struct FarMacroValue {
    FarMacroVarType Type;
    union {
        int64_t Integer;
        int64_t Boolean;
        double Double;
        const wchar_t *String;
        struct {
            const void *Data;
            size_t Size;
        } Binary;
    };
};

struct OpenMacroInfo {
    size_t StructSize;
    size_t Count;
    FarMacroValue *Values;
};

struct FarMacroCall {
    size_t StructSize;
    size_t Count;
    FarMacroValue *Values;
    void(WINAPI *Callback)(void *data, FarMacroValue *values, size_t count);
    void *CallbackData;
};

struct PluginStartupInfo {
    size_t StructSize;
    const wchar_t *ModuleName;
    FarService Menu;
    intptr_t(WINAPI *Message)(const GUID *plugin, const GUID *id, FLAGS64 flags, const wchar_t *helpTopic,
                              const wchar_t *const *items, size_t count, intptr_t buttons);
    const wchar_t *(WINAPI *GetMsg)(const GUID *plugin, intptr_t number);
    intptr_t(WINAPI *PanelControl)(HANDLE panel, FileControlCommand command, intptr_t param1, void *param2);
    HANDLE(WINAPI *SaveScreen)(intptr_t x1, intptr_t y1, intptr_t x2, intptr_t y2);
    void(WINAPI *RestoreScreen)(HANDLE screen);
    intptr_t(WINAPI *GetDirList)(const wchar_t *dir, PluginPanelItem **items, size_t *count);
    FarService GetPluginDirList;
    void(WINAPI *FreeDirList)(PluginPanelItem *items, size_t count);
    FarService FreePluginDirList, Viewer, Editor, Text, EditorControl;
    FarStandardFunctions *FSF;
    FarService ShowHelp;
    intptr_t(WINAPI *AdvControl)(const GUID *plugin, AdvancedControlCommands command, intptr_t param1, void *param2);
    FarService InputBox, ColorDialog;
    HANDLE(WINAPI *DialogInit)(const GUID *plugin, const GUID *id, intptr_t x1, intptr_t y1, intptr_t x2,
                               intptr_t y2, const wchar_t *helpTopic, const FarDialogItem *items, size_t count,
                               intptr_t reserved, FLAGS64 flags, DialogProc proc, void *param);
    intptr_t(WINAPI *DialogRun)(HANDLE dialog);
    void(WINAPI *DialogFree)(HANDLE dialog);
    intptr_t(WINAPI *SendDlgMessage)(HANDLE dialog, intptr_t message, intptr_t param1, void *param2);
    intptr_t(WINAPI *DefDlgProc)(HANDLE dialog, intptr_t message, intptr_t param1, void *param2);
    FarService ViewerControl, PluginsControl;
    intptr_t(WINAPI *FileFilterControl)(HANDLE filter, FarFilterControl command, intptr_t param1, void *param2);
    FarService RegExpControl, MacroControl;
    intptr_t(WINAPI *SettingsControl)(HANDLE handle, SettingsCommand command, intptr_t param1, void *param2);
    void *Private;
    void *Instance;
    void(WINAPI *FreeScreen)(HANDLE screen);
};

// The records' sizes and offsets in the host's two builds.
#define PINNED(record, field, at32, at64) \
    static_assert(offsetof(record, field) == (sizeof(void *) == 4 ? (at32) : (at64)), #record "." #field)
#define SIZED(record, size32, size64) \
    static_assert(sizeof(record) == (sizeof(void *) == 4 ? (size32) : (size64)), #record)

SIZED(VersionInfo, 20, 20);
SIZED(GlobalInfo, 76, 96);
PINNED(GlobalInfo, MinFarVersion, 4, 8);
PINNED(GlobalInfo, Version, 24, 28);
PINNED(GlobalInfo, Guid, 44, 48);
PINNED(GlobalInfo, Title, 60, 64);
PINNED(GlobalInfo, Description, 64, 72);
PINNED(GlobalInfo, Author, 68, 80);
PINNED(GlobalInfo, Instance, 72, 88);

SIZED(PluginStartupInfo, 140, 280);
PINNED(PluginStartupInfo, ModuleName, 4, 8);
PINNED(PluginStartupInfo, Message, 12, 24);
PINNED(PluginStartupInfo, GetMsg, 16, 32);
PINNED(PluginStartupInfo, PanelControl, 20, 40);
PINNED(PluginStartupInfo, SaveScreen, 24, 48);
PINNED(PluginStartupInfo, RestoreScreen, 28, 56);
PINNED(PluginStartupInfo, GetDirList, 32, 64);
PINNED(PluginStartupInfo, FreeDirList, 40, 80);
PINNED(PluginStartupInfo, FSF, 64, 128);
PINNED(PluginStartupInfo, DialogInit, 84, 168);
PINNED(PluginStartupInfo, DialogRun, 88, 176);
PINNED(PluginStartupInfo, DialogFree, 92, 184);
PINNED(PluginStartupInfo, SendDlgMessage, 96, 192);
PINNED(PluginStartupInfo, AdvControl, 72, 144);
PINNED(PluginStartupInfo, DefDlgProc, 100, 200);
PINNED(PluginStartupInfo, FileFilterControl, 112, 224);
PINNED(PluginStartupInfo, SettingsControl, 124, 248);
SIZED(ProgressValue, 24, 24);
PINNED(ProgressValue, Completed, 8, 8);
PINNED(ProgressValue, Total, 16, 16);
PINNED(PluginStartupInfo, FreeScreen, 136, 272);

SIZED(FarStandardFunctions, 196, 392);
PINNED(FarStandardFunctions, ProcessName, 164, 328);

SIZED(FarMacroValue, 16, 24);
PINNED(FarMacroValue, Integer, 8, 8);
SIZED(OpenMacroInfo, 12, 24);
PINNED(OpenMacroInfo, Count, 4, 8);
PINNED(OpenMacroInfo, Values, 8, 16);
SIZED(FarMacroCall, 20, 40);
PINNED(FarMacroCall, Count, 4, 8);
PINNED(FarMacroCall, Values, 8, 16);
PINNED(FarMacroCall, Callback, 12, 24);
PINNED(FarMacroCall, CallbackData, 16, 32);

SIZED(PluginMenuItem, 12, 24);
SIZED(PluginInfo, 64, 104);
PINNED(PluginInfo, Flags, 8, 8);
PINNED(PluginInfo, PluginMenu.Guids, 28, 40);
PINNED(PluginInfo, PluginMenu.Strings, 32, 48);
PINNED(PluginInfo, PluginMenu.Count, 36, 56);
PINNED(PluginInfo, CommandPrefix, 52, 88);

SIZED(OpenInfo, 20, 40);
PINNED(OpenInfo, OpenFrom, 4, 8);
PINNED(OpenInfo, Guid, 8, 16);
PINNED(OpenInfo, Data, 12, 24);

SIZED(PanelInfo, 80, 104);
PINNED(PanelInfo, OwnerGuid, 8, 16);
PINNED(PanelInfo, Flags, 24, 32);
PINNED(PanelInfo, ItemsNumber, 32, 40);
PINNED(PanelInfo, SelectedItemsNumber, 36, 48);
PINNED(PanelInfo, PanelRect, 40, 56);
PINNED(PanelInfo, CurrentItem, 56, 72);
PINNED(PanelInfo, PanelType, 68, 96);
PINNED(PanelInfo, SortMode, 72, 100);

SIZED(FarPanelDirectory, 32, 48);
PINNED(FarPanelDirectory, Name, 4, 8);
PINNED(FarPanelDirectory, Param, 8, 16);
PINNED(FarPanelDirectory, PluginId, 12, 24);
PINNED(FarPanelDirectory, File, 28, 40);

SIZED(PluginPanelItem, 112, 160);
PINNED(PluginPanelItem, LastWriteTime, 16, 16);
PINNED(PluginPanelItem, FileSize, 32, 32);
PINNED(PluginPanelItem, FileName, 48, 48);
PINNED(PluginPanelItem, AlternateFileName, 52, 56);
PINNED(PluginPanelItem, CustomColumnNumber, 68, 88);
PINNED(PluginPanelItem, Flags, 72, 96);
PINNED(PluginPanelItem, UserData, 80, 104);
PINNED(PluginPanelItem, FileAttributes, 88, 120);
PINNED(PluginPanelItem, NumberOfLinks, 92, 128);
PINNED(PluginPanelItem, Reserved, 100, 144);

SIZED(FarGetPluginPanelItem, 12, 24);
PINNED(FarGetPluginPanelItem, Size, 4, 8);
PINNED(FarGetPluginPanelItem, Item, 8, 16);

SIZED(FarDialogItem, 64, 112);
PINNED(FarDialogItem, X1, 4, 8);
PINNED(FarDialogItem, Y2, 16, 32);
PINNED(FarDialogItem, Selected, 20, 40);
PINNED(FarDialogItem, History, 24, 48);
PINNED(FarDialogItem, Flags, 32, 64);
PINNED(FarDialogItem, Data, 40, 72);
PINNED(FarDialogItem, MaxLength, 44, 80);
PINNED(FarDialogItem, Reserved, 52, 96);

SIZED(FarSettingsCreate, 24, 32);
PINNED(FarSettingsCreate, Guid, 4, 8);
PINNED(FarSettingsCreate, Handle, 20, 24);

SIZED(FarSettingsItem, 24, 48);
PINNED(FarSettingsItem, Root, 4, 8);
PINNED(FarSettingsItem, Name, 8, 16);
PINNED(FarSettingsItem, Type, 12, 24);
PINNED(FarSettingsItem, Value.Number, 16, 32);

// What each service takes off the stack in the 32-bit build (stdcall): a
// 32-bit flags argument where the host takes 64 bits would shift every
// later one.
template <class Result, class... Arguments>
constexpr size_t StackBytes(Result(WINAPI *)(Arguments...))
{
    return (((sizeof(Arguments) + 3) / 4 * 4) + ... + 0);
}
#define POPS(service, bytes) \
    static_assert(sizeof(void *) != 4 || StackBytes(decltype(PluginStartupInfo::service)()) == (bytes), #service)

POPS(Message, 32);
POPS(GetMsg, 8);
POPS(PanelControl, 16);
POPS(SaveScreen, 16);
POPS(RestoreScreen, 4);
POPS(GetDirList, 12);
POPS(FreeDirList, 8);
POPS(DialogInit, 56);
POPS(DialogRun, 4);
POPS(DialogFree, 4);
POPS(SendDlgMessage, 16);
POPS(SettingsControl, 16);
POPS(AdvControl, 16);
POPS(FreeScreen, 4);
POPS(DefDlgProc, 16);
POPS(FileFilterControl, 16);
static_assert(sizeof(void *) != 4 || StackBytes(decltype(FarStandardFunctions::ProcessName)()) == 20, "ProcessName");
static_assert(sizeof(void *) != 4 || StackBytes(decltype(FarMacroCall::Callback)()) == 12, "Callback");

#undef POPS
#undef PINNED
#undef SIZED
