#include "standin.h"
#include "screen.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;

StandInHost Host;

static const INT_PTR StandInModuleNumber = 7;
static const HANDLE SavedScreenHandle = (HANDLE)(intptr_t)0x5C;
static std::vector<PluginPanelItem> PanelSelection;

std::string HostPath(const std::string &native)
{
    std::string path = native;
    for (char &c : path)
        if (c == '/')
            c = '\\';
    return path;
}

std::string NativeOf(const std::string &hostPath)
{
#ifdef _WIN32
    return hostPath;
#else
    std::string path = hostPath;
    for (char &c : path)
        if (c == '\\')
            c = '/';
    return path;
#endif
}

static std::string Quote(const char *text)
{
    return text ? "\"" + std::string(text) + "\"" : "null";
}

static void Record(const std::string &call)
{
    Host.calls.push_back(call);
}

void ResetHost(const std::string &dir)
{
    std::vector<std::string> messages = std::move(Host.messages);
    Host = StandInHost();
    Host.messages = std::move(messages);
    Host.curDir = dir;
}

bool LoadMessages(const std::string &lngPath)
{
    std::ifstream in(lngPath, std::ios::binary);
    std::string line;
    if (!in || !std::getline(in, line) || line.rfind(".Language=", 0) != 0)
        return false;
    Host.messages.clear();
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.size() < 2 || line.front() != '"' || line.back() != '"')
            continue;
        Host.messages.push_back(line.substr(1, line.size() - 2));
    }
    return true;
}

static const char *WINAPI StandInGetMsg(INT_PTR module, int id)
{
    Record("GetMsg(" + std::to_string(module) + ", " + std::to_string(id) + ")");
    if (id < 0 || (size_t)id >= Host.messages.size())
        return "";
    return Host.messages[(size_t)id].c_str();
}

// Radio buttons and check boxes are counted in the order the dialog lists
// them, as a user reads them from the top.
static FarDialogItem *NthItemOfType(FarDialogItem *items, int count, int type, int n)
{
    for (int i = 0; i < count; i++)
        if (items[i].Type == type && --n == 0)
            return &items[i];
    return nullptr;
}

static int ClosingIndex(const FarDialogItem *items, int count)
{
    if (Host.close == DialogClose::Escape)
        return -1;
    for (int i = 0; i < count; i++)
        if (items[i].Type == DI_BUTTON && (items[i].DefaultButton != 0) == (Host.close == DialogClose::Accept))
            return i;
    return -1;
}

static void AnswerDialog(FarDialogItem *items, int count)
{
    if (FarDialogItem *radio = NthItemOfType(items, count, DI_RADIOBUTTON, Host.pickRadio)) {
        for (int i = 0; i < count; i++)
            if (items[i].Type == DI_RADIOBUTTON)
                items[i].Selected = 0;
        radio->Selected = 1;
    }
    if (FarDialogItem *box = NthItemOfType(items, count, DI_CHECKBOX, 1); box && Host.subdirs >= 0)
        box->Selected = Host.subdirs;
    if (FarDialogItem *box = NthItemOfType(items, count, DI_CHECKBOX, 2); box && Host.thisRunOnly)
        box->Selected = 1;
}

static int WINAPI StandInDialog(INT_PTR module, int x1, int y1, int x2, int y2, const char *help,
                                FarDialogItem *items, int count)
{
    std::ostringstream call;
    call << "Dialog(" << module << ", " << x1 << ", " << y1 << ", " << x2 << ", " << y2 << ", "
         << Quote(help) << ", items, " << count << ")";
    Record(call.str());
    Host.dialogAsShown.assign(items, items + count);
    AnswerDialog(items, count);
    if (Host.show)
        Host.screen += DrawDialog(x2, y2, items, count);
    return ClosingIndex(items, count);
}

static int WINAPI StandInMessage(INT_PTR module, DWORD flags, const char *help,
                                 const char *const *lines, int count, int buttons)
{
    std::ostringstream call;
    call << "Message(" << module << ", " << flags << ", " << Quote(help) << ", [";
    for (int i = 0; i < count; i++)
        call << (i ? ", " : "") << Quote(lines[i]);
    call << "], " << count << ", " << buttons << ")";
    Record(call.str());
    if (Host.show)
        Host.screen += DrawMessage(lines, count);
    return -1;
}

static DWORD AttributesOf(const std::string &hostPath)
{
    std::error_code error;
    fs::path path = NativeOf(hostPath);
    DWORD attributes = fs::is_directory(path, error) ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_ARCHIVE;
    if (fs::is_symlink(fs::symlink_status(path, error)))
        attributes |= FILE_ATTRIBUTE_REPARSE_POINT;
    return attributes;
}

static PluginPanelItem PanelItem(const std::string &name, DWORD attributes)
{
    PluginPanelItem item;
    memset(&item, 0, sizeof item);
    item.FindData.dwFileAttributes = attributes;
    snprintf(item.FindData.cFileName, sizeof item.FindData.cFileName, "%s", name.c_str());
    return item;
}

static std::string InCurDir(const std::string &name)
{
    return Host.curDir + (!Host.curDir.empty() && Host.curDir.back() == '\\' ? "" : "\\") + name;
}

// Like the real host: with nothing selected, the item under the cursor is
// the selection, unless it is "..".
static void FillPanelInfo(PanelInfo *info)
{
    memset(info, 0, sizeof *info);
    snprintf(info->CurDir, sizeof info->CurDir, "%s", Host.curDir.c_str());
    std::vector<std::string> names = Host.selection;
    if (names.empty() && !Host.cursorItem.empty() && Host.cursorItem != "..")
        names.push_back(Host.cursorItem);
    PanelSelection.clear();
    for (const std::string &name : names)
        PanelSelection.push_back(PanelItem(name, AttributesOf(InCurDir(name))));
    info->SelectedItems = PanelSelection.empty() ? nullptr : PanelSelection.data();
    info->SelectedItemsNumber = (int)PanelSelection.size();
    info->ItemsNumber = info->SelectedItemsNumber;
    info->PanelItems = info->SelectedItems;
}

static int WINAPI StandInControl(HANDLE panel, int command, void *param)
{
    std::ostringstream call;
    call << "Control(" << (panel == INVALID_HANDLE_VALUE ? "INVALID_HANDLE_VALUE" : "?") << ", "
         << command << ", " << (param ? "info" : "null") << ")";
    Record(call.str());
    if (command != FCTL_GETPANELINFO)
        return 1;
    if (Host.panelInfoFails || !param)
        return 0;
    FillPanelInfo((PanelInfo *)param);
    return 1;
}

static HANDLE WINAPI StandInSaveScreen(int x1, int y1, int x2, int y2)
{
    std::ostringstream call;
    call << "SaveScreen(" << x1 << ", " << y1 << ", " << x2 << ", " << y2 << ")";
    Record(call.str());
    return SavedScreenHandle;
}

static void WINAPI StandInRestoreScreen(HANDLE screen)
{
    Record(screen == SavedScreenHandle ? "RestoreScreen(saved)" : "RestoreScreen(?)");
}

static std::vector<PluginPanelItem> ListDirect(const fs::path &dir)
{
    std::vector<PluginPanelItem> items;
    for (const fs::directory_entry &entry : fs::directory_iterator(dir))
        items.push_back(PanelItem(entry.path().filename().string(),
                                  AttributesOf(HostPath(entry.path().string()))));
    return items;
}

static std::vector<PluginPanelItem> ListSubtree(const fs::path &dir)
{
    std::vector<PluginPanelItem> items;
    fs::path parent = dir.parent_path();
    for (const fs::directory_entry &entry : fs::recursive_directory_iterator(dir))
        items.push_back(PanelItem(HostPath(entry.path().lexically_relative(parent).string()),
                                  AttributesOf(HostPath(entry.path().string()))));
    return items;
}

static int WINAPI StandInGetDirList(const char *dir, PluginPanelItem **items, int *count)
{
    Record("GetDirList(" + Quote(dir) + ")");
    Host.listed.push_back(dir);
    Host.listingsHeld++;
    *items = nullptr;
    *count = 0;
    fs::path path = NativeOf(dir);
    while (path.has_relative_path() && path.filename().empty())
        path = path.parent_path();
    std::error_code error;
    if (Host.listingFails || !fs::is_directory(path, error))
        return 0;
    std::vector<PluginPanelItem> list = Host.listing == ListingForm::Direct ? ListDirect(path) : ListSubtree(path);
    // In name order, like a sorted panel, so tests know what comes first.
    std::sort(list.begin(), list.end(), [](const PluginPanelItem &a, const PluginPanelItem &b) {
        return strcmp(a.FindData.cFileName, b.FindData.cFileName) < 0;
    });
    if (Host.listingAddsDots) {
        list.insert(list.begin(), PanelItem("..", FILE_ATTRIBUTE_DIRECTORY));
        list.insert(list.begin(), PanelItem(".", FILE_ATTRIBUTE_DIRECTORY));
    }
    if (Host.afterListing)
        Host.afterListing(dir);
    if (!list.empty()) {
        *items = new PluginPanelItem[list.size()];
        std::copy(list.begin(), list.end(), *items);
    }
    *count = (int)list.size();
    return 1;
}

static void WINAPI StandInFreeDirList(const PluginPanelItem *items)
{
    Record(items ? "FreeDirList(listing)" : "FreeDirList(null)");
    Host.listingsHeld--;
    delete[] items;
}

PluginStartupInfo StartupInfoFor(const char *rootKey)
{
    PluginStartupInfo info;
    memset(&info, 0, sizeof info);
    info.StructSize = sizeof info;
    snprintf(info.ModuleName, sizeof info.ModuleName, "Quillmere");
    info.ModuleNumber = StandInModuleNumber;
    info.RootKey = rootKey;
    info.Dialog = StandInDialog;
    info.Message = StandInMessage;
    info.GetMsg = StandInGetMsg;
    info.Control = StandInControl;
    info.SaveScreen = StandInSaveScreen;
    info.RestoreScreen = StandInRestoreScreen;
    info.GetDirList = StandInGetDirList;
    info.FreeDirList = StandInFreeDirList;
    return info;
}
