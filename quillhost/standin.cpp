#include "standin.h"
#include "screen.h"

#include <algorithm>
#include <map>
#include <cstring>
#include <filesystem>
#include <sstream>

#ifndef _WIN32
#include <sys/stat.h>
#endif

namespace fs = std::filesystem;

StandInHost Host;

static const INT_PTR StandInModuleNumber = 7;
static const HANDLE SavedScreenHandle = (HANDLE)(intptr_t)0x5C;
static std::vector<PluginPanelItem> PanelSelection;
// A plugin panel's own current directory text, such as a folder inside an
// archive; nothing of that name need exist on disk.
static const std::string PluginCurDir = "src";

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
    std::string language;
    return ReadCatalogue(lngPath, Host.messages, language);
}

static const char *WINAPI StandInGetMsg(INT_PTR module, int id)
{
    Record("GetMsg(" + std::to_string(module) + ", " + std::to_string(id) + ")");
    if (id < 0 || (size_t)id >= Host.messages.size())
        return "";
    return Host.messages[(size_t)id].c_str();
}

static std::vector<DrawnItem> AsDrawn(const FarDialogItem *items, int count)
{
    std::vector<DrawnItem> drawn;
    for (int i = 0; i < count; i++) {
        const FarDialogItem &item = items[i];
        drawn.push_back({item.Type, item.X1, item.Y1, item.X2, item.Y2, item.Selected, item.Flags,
                         item.DefaultButton != 0, item.Data});
    }
    return drawn;
}

static int WINAPI StandInDialog(INT_PTR module, int x1, int y1, int x2, int y2, const char *help,
                                FarDialogItem *items, int count)
{
    std::ostringstream call;
    call << "Dialog(" << module << ", " << x1 << ", " << y1 << ", " << x2 << ", " << y2 << ", "
         << Quote(help) << ", items, " << count << ")";
    Record(call.str());
    Host.dialogAsShown.assign(items, items + count);
    std::vector<DrawnItem> drawn = AsDrawn(items, count);
    AnswerDialog(drawn, Host);
    // This host writes the user's answers back into the module's items.
    for (int i = 0; i < count; i++)
        items[i].Selected = drawn[(size_t)i].selected;
    if (Host.show)
        Host.screen += DrawDialog(x2, y2, drawn);
    return ClosingIndex(drawn, Host);
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
    // A message to acknowledge is answered with its Ok button; the working
    // box returns at once.
    if (flags & FMSG_MB_OK) {
        Host.warning.assign(lines, lines + count);
        Host.screen += DrawMessage(Host.warning);
        return 0;
    }
    if (Host.show)
        Host.screen += DrawMessage(std::vector<std::string>(lines, lines + count));
    return -1;
}

// An entry as the real host describes it: attributes, times, size and the
// short name from the file system; a name that does not fit the field fills
// it with no terminating zero, as today's host hands such names over.
static void SetName(char *field, size_t size, const std::string &name)
{
    memset(field, 0, size);
    memcpy(field, name.data(), std::min(name.size(), size));
}

#ifdef _WIN32
// While the host lists, it reads each folder once, as the real host's scan
// does: what one pass of FindFirstFile gives, by the entry's full path.
static std::map<std::string, WIN32_FIND_DATAA> Scanned;
static bool Scanning;

static void ScanFolder(const std::string &folder)
{
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return;
    do
        Scanned[folder + "\\" + found.cFileName] = found;
    while (FindNextFileA(search, &found));
    FindClose(search);
}

static FAR_FIND_DATA Describe(const std::string &hostPath)
{
    FAR_FIND_DATA data;
    memset(&data, 0, sizeof data);
    WIN32_FIND_DATAA found;
    std::string folder = hostPath.substr(0, hostPath.rfind('\\'));
    if (Scanning && !Scanned.count(hostPath) && !Scanned.count(folder + "\\."))
        ScanFolder(folder);
    auto scanned = Scanning ? Scanned.find(hostPath) : Scanned.end();
    if (scanned != Scanned.end()) {
        memcpy(&data, &scanned->second, sizeof data);
        return data;
    }
    HANDLE search = FindFirstFileA(hostPath.c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        FindClose(search);
        memcpy(&data, &found, sizeof data);
    }
    return data;
}

// The scan lasts one listing: the next one finds the folders as they are.
static void ScanFrom(bool on)
{
    Scanning = on;
    Scanned.clear();
}
#else
static void ScanFrom(bool) {}

static FILETIME FileTimeOf(const struct timespec &t)
{
    uint64_t ticks = (uint64_t)(t.tv_sec + 11644473600LL) * 10000000u + (uint64_t)t.tv_nsec / 100u;
    return FILETIME{(DWORD)ticks, (DWORD)(ticks >> 32)};
}

// Like the platform layer: the last-write time stands in for creation.
static FAR_FIND_DATA Describe(const std::string &hostPath)
{
    FAR_FIND_DATA data;
    memset(&data, 0, sizeof data);
    struct stat link, info;
    std::string path = NativeOf(hostPath);
    if (lstat(path.c_str(), &link) != 0)
        return data;
    bool followed = stat(path.c_str(), &info) == 0;
    if (!followed)
        info = link;
    data.dwFileAttributes = S_ISDIR(info.st_mode) ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_ARCHIVE;
    if (S_ISLNK(link.st_mode))
        data.dwFileAttributes |= FILE_ATTRIBUTE_REPARSE_POINT;
    if (!(info.st_mode & S_IWUSR))
        data.dwFileAttributes |= FILE_ATTRIBUTE_READONLY;
    data.ftCreationTime = data.ftLastWriteTime = FileTimeOf(info.st_mtim);
    data.ftLastAccessTime = FileTimeOf(info.st_atim);
    uint64_t size = S_ISDIR(info.st_mode) ? 0 : (uint64_t)info.st_size;
    data.nFileSizeHigh = (DWORD)(size >> 32);
    data.nFileSizeLow = (DWORD)size;
    return data;
}
#endif

// name is what the host shows (for a listing, relative to the listed
// folder's parent); hostPath is where the entry lies.
PluginPanelItem PanelItem(const std::string &name, const std::string &hostPath)
{
    PluginPanelItem item;
    memset(&item, 0, sizeof item);
    item.FindData = Describe(hostPath);
    SetName(item.FindData.cFileName, sizeof item.FindData.cFileName, name);
    auto handed = Host.handedAs.find(name);
    if (handed != Host.handedAs.end()) {
        SetName(item.FindData.cFileName, sizeof item.FindData.cFileName, handed->second.name);
        SetName(item.FindData.cAlternateFileName, sizeof item.FindData.cAlternateFileName,
                handed->second.shortName);
    }
    return item;
}

// An item that describes nothing on disk.
static PluginPanelItem NamedItem(const char *name)
{
    PluginPanelItem item;
    memset(&item, 0, sizeof item);
    item.FindData.dwFileAttributes = FILE_ATTRIBUTE_ARCHIVE;
    SetName(item.FindData.cFileName, sizeof item.FindData.cFileName, name);
    return item;
}

static std::string InCurDir(const std::string &name)
{
    return Host.curDir + (!Host.curDir.empty() && Host.curDir.back() == '\\' ? "" : "\\") + name;
}

// The selected item as the panel names it: a plugin's panel has its own
// path text for a folder, and a panel of real names gives full paths.
static PluginPanelItem SelectedItem(const std::string &name)
{
    if (Host.panel == PanelKind::Plugin)
        return NamedItem(name.c_str());
    std::string path = InCurDir(name);
    return PanelItem(Host.panel == PanelKind::RealNames ? path : name, path);
}

// Like the real host: with nothing selected, the item under the cursor is
// the selection, unless it is "..".
static void FillPanelInfo(PanelInfo *info)
{
    memset(info, 0, sizeof *info);
    info->PanelType = Host.panelType;
    info->Plugin = Host.panel != PanelKind::Folder;
    info->Flags = Host.panel == PanelKind::Plugin ? 0u : (DWORD)PFLAGS_REALNAMES;
    const std::string &dir = Host.panel == PanelKind::Folder ? Host.curDir : PluginCurDir;
    snprintf(info->CurDir, sizeof info->CurDir, "%s", dir.c_str());
    std::vector<std::string> names = Host.selection;
    if (names.empty() && !Host.cursorItem.empty() && Host.cursorItem != "..")
        names.push_back(Host.cursorItem);
    PanelSelection.clear();
    for (const std::string &name : names)
        PanelSelection.push_back(SelectedItem(name));
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
    // The real host's selection array lasts only until its next Control
    // call; so does this one's, so a module that reads it late reads junk.
    for (PluginPanelItem &item : PanelSelection)
        item = NamedItem("stale");
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

// Entries that cannot be read are skipped, as the real host's scan does.
#ifdef _WIN32
// One pass of FindFirstFile over the folder, as the real host lists it.
static std::vector<PluginPanelItem> ListDirect(const fs::path &dir, std::error_code &error)
{
    std::vector<PluginPanelItem> items;
    std::string folder = HostPath(dir.string());
    ScanFolder(folder);
    if (!Scanned.count(folder + "\\."))
        error = std::make_error_code(std::errc::permission_denied);
    for (auto it = Scanned.lower_bound(folder + "\\"); it != Scanned.end() && it->first.rfind(folder + "\\", 0) == 0;
         ++it) {
        const char *name = it->second.cFileName;
        if (strcmp(name, ".") != 0 && strcmp(name, "..") != 0 && it->first.size() == folder.size() + 1 + strlen(name))
            items.push_back(PanelItem(name, it->first));
    }
    return items;
}
#else
static std::vector<PluginPanelItem> ListDirect(const fs::path &dir, std::error_code &error)
{
    std::vector<PluginPanelItem> items;
    for (fs::directory_iterator it(dir, error), end; !error && it != end; it.increment(error))
        items.push_back(PanelItem(it->path().filename().string(), HostPath(it->path().string())));
    return items;
}
#endif

static std::vector<PluginPanelItem> ListSubtree(const fs::path &dir, std::error_code &error)
{
    std::vector<PluginPanelItem> items;
    fs::path parent = dir.parent_path();
    // Like today's host, it follows folder links; a link back to an ancestor
    // ends where the real host's scan would, deep down.
    const auto options = fs::directory_options::skip_permission_denied | fs::directory_options::follow_directory_symlink;
    fs::recursive_directory_iterator it(dir, options, error), end;
    for (; !error && it != end; it.increment(error)) {
        if (it.depth() >= 6)
            it.disable_recursion_pending();
        std::string path = HostPath(it->path().string());
        items.push_back(PanelItem(HostPath(it->path().lexically_relative(parent).string()), path));
    }
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
    ScanFrom(true);
    std::vector<PluginPanelItem> list =
        Host.listing == ListingForm::Direct ? ListDirect(path, error) : ListSubtree(path, error);
    ScanFrom(false);
    // The folder itself could not be read: the real host reports failure.
    if (error && list.empty())
        return 0;
    // In name order, like a sorted panel, so tests know what comes first.
    std::sort(list.begin(), list.end(), [](const PluginPanelItem &a, const PluginPanelItem &b) {
        return strcmp(a.FindData.cFileName, b.FindData.cFileName) < 0;
    });
    if (Host.listingAddsDots) {
        list.insert(list.begin(), NamedItem(".."))->FindData.dwFileAttributes = FILE_ATTRIBUTE_DIRECTORY;
        list.insert(list.begin(), NamedItem("."))->FindData.dwFileAttributes = FILE_ATTRIBUTE_DIRECTORY;
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
