#include "wide_standin.h"
#include "masks.h"
#include "screen.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <sstream>

WideStandIn Wide;

static const HANDLE SavedScreen = (HANDLE)(intptr_t)0x5C;
static const HANDLE DialogHandle = (HANDLE)(intptr_t)0xD1A;
static const HANDLE SettingsHandle = (HANDLE)(intptr_t)0x5E7, HostSettingsHandle = (HANDLE)(intptr_t)0x5E8;
static const HANDLE FilterHandle = (HANDLE)(intptr_t)0xF17;
static const std::string PluginFolderText = "src"; // a plugin panel's own folder text
static const intptr_t ListingMark = 0x4C697374;    // kept in the slot past a listing's last item

std::wstring Widen(const std::string &utf8)
{
    std::wstring wide(utf8.size(), L'\0');
    wide.resize((size_t)MultiByteToWideChar(CP_UTF8, 0, utf8.data(), (int)utf8.size(), wide.data(), (int)wide.size()));
    return wide;
}

std::string Narrow(const std::wstring &wide)
{
    std::string utf8(wide.size() * 3, '\0');
    utf8.resize((size_t)WideCharToMultiByte(CP_UTF8, 0, wide.data(), (int)wide.size(), utf8.data(), (int)utf8.size(),
                                            nullptr, nullptr));
    return utf8;
}

static std::string Text(const wchar_t *text)
{
    return text ? Narrow(text) : "";
}

static void Record(const std::string &call)
{
    Wide.calls.push_back(call);
}

static bool IsPlugin(const GUID *guid)
{
    return guid && memcmp(guid, &Wide.plugin, sizeof(GUID)) == 0;
}

static std::string GuidText(const GUID &guid)
{
    char text[40];
    const unsigned char *b = guid.Data4;
    snprintf(text, sizeof text, "%08lX-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X", (unsigned long)guid.Data1,
             guid.Data2, guid.Data3, b[0], b[1], b[2], b[3], b[4], b[5], b[6], b[7]);
    return text;
}

void ResetWide(const std::string &dir)
{
    WideStandIn fresh;
    fresh.catalogue = std::move(Wide.catalogue);
    fresh.messages = std::move(Wide.messages);
    fresh.settings = std::move(Wide.settings);
    fresh.texts = std::move(Wide.texts);
    fresh.plugin = Wide.plugin;
    fresh.curDir = dir;
    Wide = std::move(fresh);
}

bool LoadWideCatalogue(const std::string &folder, const std::string &language)
{
    std::vector<std::string> messages, chosen, english;
    std::string found;
    std::error_code error;
    for (const auto &file : std::filesystem::directory_iterator(folder, error)) {
        if (file.path().extension() != ".lng" || !ReadCatalogue(file.path().string(), messages, found))
            continue;
        if (_stricmp(found.c_str(), language.c_str()) == 0)
            chosen = messages;
        else if (_stricmp(found.c_str(), "English") == 0)
            english = messages;
    }
    Wide.messages = chosen.empty() ? english : chosen;
    Wide.catalogue.clear();
    for (const std::string &message : Wide.messages)
        Wide.catalogue.push_back(Widen(message));
    return !Wide.messages.empty();
}

static const wchar_t *WINAPI GetMsgW(const GUID *plugin, intptr_t number)
{
    Record("GetMsg(" + std::to_string(number) + ")");
    if (!IsPlugin(plugin) || number < 0 || (size_t)number >= Wide.catalogue.size())
        return L"";
    return Wide.catalogue[(size_t)number].c_str();
}

// The button field of the flags: a value, not bits.
static uint64_t ButtonSet(FLAGS64 flags)
{
    return flags & 0xF0000;
}

static intptr_t WINAPI MessageW(const GUID *plugin, const GUID *, FLAGS64 flags, const wchar_t *help,
                                const wchar_t *const *items, size_t count, intptr_t buttons)
{
    std::vector<std::string> lines;
    for (size_t i = 0; i < count; i++)
        lines.push_back(Text(items[i]));
    std::ostringstream call;
    call << "Message(" << (IsPlugin(plugin) ? "plugin" : "?") << ", 0x" << std::hex << flags << std::dec << ", "
         << (help ? Text(help) : "null") << ", " << count << " lines, " << buttons << ")";
    Record(call.str());
    if (ButtonSet(flags) == FMSG_MB_OK) {
        Wide.warning = lines;
        Wide.screen += DrawMessage(lines);
        return 0;
    }
    if (ButtonSet(flags) == FMSG_MB_YESNO) {
        Wide.questions.push_back(lines);
        if (Wide.show)
            Wide.screen += DrawMessage(lines);
        return Wide.stopAnswer;
    }
    Wide.boxes.push_back(lines);
    Wide.boxTimes.push_back(GetTickCount64());
    if (Wide.show)
        Wide.screen += DrawMessage(lines);
    return -1;
}

static std::string InCurDir(const std::string &name)
{
    return Wide.curDir + (!Wide.curDir.empty() && Wide.curDir.back() == '\\' ? "" : "\\") + name;
}

// Like the real host: with nothing selected, the item under the cursor is
// the selection, unless it is "..".
static std::vector<std::string> SelectedNames(bool &reallySelected)
{
    reallySelected = !Wide.selection.empty();
    if (reallySelected)
        return Wide.selection;
    if (!Wide.cursorItem.empty() && Wide.cursorItem != "..")
        return {Wide.cursorItem};
    return {};
}

static std::wstring LongPath(const std::wstring &path)
{
    return path.compare(0, 4, L"\\\\?\\") == 0 ? path : L"\\\\?\\" + path;
}

// What the file system says of the entry at path (a host path).
static WIN32_FIND_DATAW Describe(const std::wstring &path)
{
    WIN32_FIND_DATAW data = {};
    HANDLE search = FindFirstFileW(LongPath(path).c_str(), &data);
    if (search != INVALID_HANDLE_VALUE)
        FindClose(search);
    return data;
}

void ReadWidePanel()
{
    bool really;
    Wide.shown.clear();
    for (const std::string &name : SelectedNames(really))
        Wide.shown[name] = Wide.panel == PanelKind::Plugin ? WIN32_FIND_DATAW{} : Describe(Widen(InCurDir(name)));
}

static std::vector<std::string> PanelItems();

static bool FillPanelInfo(PanelInfo *info)
{
    if (!info || info->StructSize < sizeof(PanelInfo))
        return false;
    memset(info, 0, sizeof *info);
    info->StructSize = sizeof *info;
    info->PanelType = (PanelTypes)Wide.panelType;
    info->Flags = Wide.panel == PanelKind::Folder    ? PFLAGS_REALNAMES
                  : Wide.panel == PanelKind::Plugin ? PFLAGS_PLUGIN
                                                    : PFLAGS_PLUGIN | PFLAGS_REALNAMES;
    bool really;
    info->SelectedItemsNumber = Wide.panelType == PTYPE_FILEPANEL ? SelectedNames(really).size() : 0;
    info->ItemsNumber = PanelItems().size();
    return true;
}

// Puts text after the record at the end of area; null when it does not fit.
static const wchar_t *Append(unsigned char *area, size_t size, size_t &used, const std::wstring &text)
{
    size_t bytes = (text.size() + 1) * sizeof(wchar_t);
    if (used + bytes > size)
        return nullptr;
    wchar_t *at = (wchar_t *)(area + used);
    memcpy(at, text.c_str(), bytes);
    used += bytes;
    return at;
}

static intptr_t PanelDirectory(intptr_t size, FarPanelDirectory *dir)
{
    std::wstring name = Widen(Wide.panel == PanelKind::Folder ? Wide.curDir : PluginFolderText);
    size_t needed = sizeof(FarPanelDirectory) + (name.size() + 1 + 1 + 1) * sizeof(wchar_t);
    if (dir && (size_t)size >= needed && dir->StructSize >= sizeof(FarPanelDirectory)) {
        size_t used = sizeof *dir;
        memset(&dir->PluginId, 0, sizeof dir->PluginId);
        dir->Name = Append((unsigned char *)dir, needed, used, name);
        dir->File = Append((unsigned char *)dir, needed, used, L"");
        dir->Param = Append((unsigned char *)dir, needed, used, L"");
    }
    return (intptr_t)needed;
}

// An item as the panel shows it, filled in as the host fills it: the record,
// then its strings.
static intptr_t FillItem(const std::wstring &name, const WIN32_FIND_DATAW &found, bool selected,
                         FarGetPluginPanelItem *get)
{
    size_t needed = sizeof(PluginPanelItem) + (name.size() + 1 + wcslen(found.cAlternateFileName) + 1) * sizeof(wchar_t);
    if (!get || get->StructSize < sizeof *get || get->Size < sizeof(PluginPanelItem))
        return (intptr_t)needed;
    PluginPanelItem &item = *get->Item;
    memset(&item, 0, sizeof item);
    item.CreationTime = found.ftCreationTime;
    item.LastAccessTime = found.ftLastAccessTime;
    item.LastWriteTime = found.ftLastWriteTime;
    item.ChangeTime = found.ftLastWriteTime;
    item.FileSize = (uint64_t)found.nFileSizeHigh << 32 | found.nFileSizeLow;
    item.FileAttributes = Wide.panel == PanelKind::Plugin ? FILE_ATTRIBUTE_ARCHIVE : found.dwFileAttributes;
    item.NumberOfLinks = 1;
    item.Flags = selected ? (FLAGS64)PPIF_SELECTED : 0;
    size_t used = sizeof item;
    item.FileName = Append((unsigned char *)&item, get->Size, used, name);
    item.AlternateFileName = Append((unsigned char *)&item, get->Size, used, found.cAlternateFileName);
    return (intptr_t)needed;
}

// The name an item has in the panel's records: a panel of found files
// gives full paths.
static std::wstring ItemName(const std::string &shownName)
{
    return Widen(Wide.panel == PanelKind::RealNames && shownName != ".." ? InCurDir(shownName) : shownName);
}

static intptr_t SelectedItem(intptr_t index, FarGetPluginPanelItem *get)
{
    bool really;
    std::vector<std::string> names = SelectedNames(really);
    if (Wide.panelType != PTYPE_FILEPANEL || index < 0 || (size_t)index >= names.size() || index == Wide.withheldItem)
        return 0;
    const std::string &shownName = names[(size_t)index];
    if (!Wide.shown.count(shownName))
        ReadWidePanel();
    return FillItem(ItemName(shownName), Wide.shown.at(shownName), really, get);
}

static bool IsSelected(const std::string &name)
{
    return std::count(Wide.selection.begin(), Wide.selection.end(), name) > 0;
}

// The panel's items in its order: "..", then the folder's entries by name,
// the selected ones among them in the order of the selection.
static std::vector<std::string> PanelItems()
{
    std::vector<std::string> others;
    WIN32_FIND_DATAW found;
    HANDLE search = Wide.panel == PanelKind::Folder
                        ? FindFirstFileW((LongPath(Widen(Wide.curDir)) + L"\\*").c_str(), &found)
                        : INVALID_HANDLE_VALUE;
    if (search != INVALID_HANDLE_VALUE) {
        do {
            std::string name = Narrow(found.cFileName);
            if (name != "." && name != ".." && !IsSelected(name))
                others.push_back(name);
        } while (FindNextFileW(search, &found));
        FindClose(search);
    }
    std::sort(others.begin(), others.end());
    std::vector<std::string> items = {".."};
    auto other = others.begin();
    for (const std::string &name : Wide.selection) {
        for (; other != others.end() && *other < name; ++other)
            items.push_back(*other);
        items.push_back(name);
    }
    items.insert(items.end(), other, others.end());
    return items;
}

static intptr_t PanelItem(intptr_t index, FarGetPluginPanelItem *get)
{
    std::vector<std::string> items = PanelItems();
    if (Wide.panelType != PTYPE_FILEPANEL || index < 0 || (size_t)index >= items.size())
        return 0;
    const std::string &name = items[(size_t)index];
    WIN32_FIND_DATAW found = Wide.panel == PanelKind::Plugin || name == ".." ? WIN32_FIND_DATAW{}
                                                                            : Describe(Widen(InCurDir(name)));
    return FillItem(ItemName(name), found, IsSelected(name), get);
}

// Selects or clears the item at its place in the panel.
static intptr_t SetSelection(intptr_t index, bool select)
{
    std::vector<std::string> items = PanelItems();
    if (index < 0 || (size_t)index >= items.size() || items[(size_t)index] == "..")
        return 0;
    const std::string &name = items[(size_t)index];
    if (!select)
        Wide.selection.erase(std::remove(Wide.selection.begin(), Wide.selection.end(), name), Wide.selection.end());
    else if (!IsSelected(name))
        Wide.selection.push_back(name);
    return 1;
}

static intptr_t WINAPI PanelControlW(HANDLE panel, FileControlCommand command, intptr_t param1, void *param2)
{
    std::ostringstream call;
    call << "PanelControl(" << (panel == PANEL_ACTIVE ? "active" : panel == PANEL_PASSIVE ? "passive" : "?") << ", "
         << command << ", " << param1 << ")";
    Record(call.str());
    switch (command) {
    case FCTL_GETPANELINFO:
        return FillPanelInfo((PanelInfo *)param2);
    case FCTL_GETPANELDIRECTORY:
        return PanelDirectory(param1, (FarPanelDirectory *)param2);
    case FCTL_GETSELECTEDPANELITEM:
        return SelectedItem(param1, (FarGetPluginPanelItem *)param2);
    case FCTL_UPDATEPANEL:
        Wide.shown.clear();
        return 1;
    case FCTL_BEGINSELECTION:
    case FCTL_ENDSELECTION:
        Wide.selecting += command == FCTL_BEGINSELECTION ? 1 : -1;
        return 1;
    case FCTL_GETPANELITEM:
        return PanelItem(param1, (FarGetPluginPanelItem *)param2);
    case FCTL_SETSELECTION:
        return SetSelection(param1, param2 != nullptr);
    default:
        return 1;
    }
}

static HANDLE WINAPI SaveScreenW(intptr_t, intptr_t, intptr_t, intptr_t)
{
    Record("SaveScreen");
    return SavedScreen;
}

static void WINAPI RestoreScreenW(HANDLE screen)
{
    Record(screen == SavedScreen ? "RestoreScreen(saved)" : "RestoreScreen(?)");
}

static void WINAPI FreeScreenW(HANDLE)
{
    Record("FreeScreen");
}

// One listing's items and the strings they point to; the slot past the
// last item leads back here, as the real host's bookkeeping does.
struct Listing {
    std::vector<PluginPanelItem> items;
    std::vector<std::wstring> names;
};

// Who a folder is, to see a link lead back to one of its own ancestors.
static bool FolderIdentity(const std::wstring &path, uint64_t &id)
{
    HANDLE folder = CreateFileW(LongPath(path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    BY_HANDLE_FILE_INFORMATION info = {};
    bool known = folder != INVALID_HANDLE_VALUE && GetFileInformationByHandle(folder, &info);
    if (folder != INVALID_HANDLE_VALUE)
        CloseHandle(folder);
    id = (uint64_t)info.nFileIndexHigh << 32 | info.nFileIndexLow;
    return known;
}

static void Add(Listing &listing, const std::wstring &path, const WIN32_FIND_DATAW &found)
{
    PluginPanelItem item = {};
    item.CreationTime = found.ftCreationTime;
    item.LastAccessTime = found.ftLastAccessTime;
    item.LastWriteTime = found.ftLastWriteTime;
    item.ChangeTime = found.ftLastWriteTime;
    item.FileSize = (uint64_t)found.nFileSizeHigh << 32 | found.nFileSizeLow;
    item.FileAttributes = found.dwFileAttributes;
    item.NumberOfLinks = 1;
    listing.items.push_back(item);
    listing.names.push_back(path);
    listing.names.push_back(found.cAlternateFileName);
}

// Depth first, each folder before what it holds, in name order; folder
// links are followed unless they lead back to an ancestor.
static bool ListInto(Listing &listing, const std::wstring &dir, std::vector<uint64_t> &ancestors)
{
    uint64_t id;
    if (!FolderIdentity(dir, id) || std::count(ancestors.begin(), ancestors.end(), id))
        return false;
    std::vector<WIN32_FIND_DATAW> entries;
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((LongPath(dir) + L"\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return false;
    do
        if (wcscmp(found.cFileName, L".") && wcscmp(found.cFileName, L".."))
            entries.push_back(found);
    while (FindNextFileW(search, &found));
    FindClose(search);
    std::sort(entries.begin(), entries.end(),
              [](const WIN32_FIND_DATAW &a, const WIN32_FIND_DATAW &b) { return wcscmp(a.cFileName, b.cFileName) < 0; });
    ancestors.push_back(id);
    for (const WIN32_FIND_DATAW &entry : entries) {
        std::wstring path = dir + L"\\" + entry.cFileName;
        bool folder = entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY;
        Add(listing, path, entry);
        if (!folder && Wide.listingRepeats)
            Add(listing, path, entry);
        if (folder)
            ListInto(listing, path, ancestors);
    }
    ancestors.pop_back();
    return true;
}

static intptr_t WINAPI GetDirListW(const wchar_t *dir, PluginPanelItem **items, size_t *count)
{
    std::string name = Text(dir);
    Record("GetDirList(\"" + name + "\")");
    *items = nullptr;
    *count = 0;
    Wide.listed.push_back(name);
    std::wstring folder = dir ? dir : L"";
    while (folder.size() > 3 && folder.back() == L'\\')
        folder.pop_back();
    Listing *listing = new Listing;
    std::vector<uint64_t> ancestors;
    if (folder.empty() || Wide.listingFails || !ListInto(*listing, folder, ancestors)) {
        delete listing;
        return 0;
    }
    for (size_t i = 0; i < listing->items.size(); i++) {
        listing->items[i].FileName = listing->names[2 * i].c_str();
        listing->items[i].AlternateFileName = listing->names[2 * i + 1].c_str();
    }
    PluginPanelItem past = {};
    past.Reserved[0] = ListingMark;
    past.UserData.Data = listing;
    listing->items.push_back(past);
    Wide.listingsHeld++;
    if (Wide.afterListing)
        Wide.afterListing(name);
    *items = listing->items.data();
    *count = listing->items.size() - 1;
    return 1;
}

static void WINAPI FreeDirListW(PluginPanelItem *items, size_t count)
{
    // The real host crashes on a wrong pointer or count; this one says so.
    if (!items || items[count].Reserved[0] != ListingMark) {
        Record("FreeDirList(wrong listing or count)");
        return;
    }
    Record("FreeDirList");
    Wide.listingsHeld--;
    delete (Listing *)items[count].UserData.Data;
}

static std::vector<DrawnItem> DialogAnswered;
static std::vector<std::wstring> DialogTexts; // each item's text, as DM_GETCONSTTEXTPTR gives it
static DialogProc DialogEvents;
static struct {
    int width, height;
} DialogSize;

static HANDLE WINAPI DialogInitW(const GUID *plugin, const GUID *id, intptr_t x1, intptr_t y1, intptr_t x2,
                                 intptr_t y2, const wchar_t *help, const FarDialogItem *items, size_t count,
                                 intptr_t, FLAGS64 flags, DialogProc events, void *)
{
    std::ostringstream call;
    call << "DialogInit(" << x1 << ", " << y1 << ", " << x2 << ", " << y2 << ", " << Text(help) << ", " << count
         << ", 0x" << std::hex << flags << ")";
    Record(call.str());
    if (!IsPlugin(plugin) || !id || !items || count == 0)
        return INVALID_HANDLE_VALUE;
    Wide.dialogAsShown.clear();
    Wide.dialogFlags.clear();
    for (size_t i = 0; i < count; i++) {
        const FarDialogItem &item = items[i];
        Wide.dialogAsShown.push_back({item.Type, (int)item.X1, (int)item.Y1, (int)item.X2, (int)item.Y2,
                                      (int)item.Selected, item.Flags, (item.Flags & DIF_DEFAULTBUTTON) != 0,
                                      Text(item.Data)});
        Wide.dialogFlags.push_back(item.Flags);
    }
    DialogSize = {(int)x2, (int)y2};
    DialogEvents = events;
    return DialogHandle;
}

static intptr_t WINAPI DialogRunW(HANDLE dialog)
{
    Record("DialogRun");
    if (dialog != DialogHandle)
        return -1;
    DialogAnswered = Wide.dialogAsShown;
    AnswerDialog(DialogAnswered, Wide);
    DialogTexts.clear();
    for (const DrawnItem &item : DialogAnswered)
        DialogTexts.push_back(Widen(item.text));
    // The user who ticks the filter's box sets the filter up first, with
    // the button beside it.
    for (size_t i = 0; i < DialogAnswered.size() && DialogEvents && Wide.useFilter == 1; i++)
        if (DialogAnswered[i].type == DrawnButton && (DialogAnswered[i].flags & DrawnHistory))
            DialogEvents(dialog, DN_BTNCLICK, (intptr_t)i, nullptr);
    if (Wide.show)
        Wide.screen += DrawDialog(DialogSize.width, DialogSize.height, DialogAnswered);
    intptr_t closing = ClosingIndex(DialogAnswered, Wide);
    // The module may keep its dialog open; the user then leaves it with Esc.
    if (DialogEvents && !DialogEvents(dialog, DN_CLOSE, closing, nullptr)) {
        Wide.dialogKeptOpen++;
        closing = DialogEvents(dialog, DN_CLOSE, -1, nullptr) ? -1 : -2;
    }
    return closing;
}

static intptr_t WINAPI SendDlgMessageW(HANDLE dialog, intptr_t message, intptr_t item, void *)
{
    Record("SendDlgMessage(" + std::to_string(message) + ", " + std::to_string(item) + ")");
    if (dialog != DialogHandle || item < 0 || (size_t)item >= DialogAnswered.size())
        return 0;
    const DrawnItem &answered = DialogAnswered[(size_t)item];
    switch (message) {
    case DM_GETCHECK:
        return answered.type == DrawnCheckBox || answered.type == DrawnRadioButton ? answered.selected : 0;
    case DM_GETCONSTTEXTPTR:
        return (intptr_t)DialogTexts[(size_t)item].c_str();
    case DM_SETFOCUS:
        Wide.focusedItem = (int)item;
        return 1;
    default:
        return 0;
    }
}

static intptr_t WINAPI DefDlgProcW(HANDLE, intptr_t message, intptr_t, void *)
{
    return message == DN_CLOSE;
}

static void WINAPI DialogFreeW(HANDLE dialog)
{
    Record(dialog == DialogHandle ? "DialogFree" : "DialogFree(?)");
    DialogAnswered.clear();
}

// One open store: reads see its own writes, and SCTL_FREE commits them.
static std::map<std::wstring, uint64_t> Pending;
static std::map<std::wstring, std::wstring> PendingTexts;

static intptr_t TextSetting(SettingsCommand command, FarSettingsItem &item)
{
    if (command == SCTL_SET && item.Value.String) {
        PendingTexts[item.Name] = item.Value.String;
        return 1;
    }
    auto stored = PendingTexts.find(item.Name);
    if (command != SCTL_GET || stored == PendingTexts.end())
        return 0;
    item.Value.String = stored->second.c_str();
    return 1;
}

static intptr_t WINAPI SettingsControlW(HANDLE handle, SettingsCommand command, intptr_t, void *param)
{
    Record("SettingsControl(" + std::to_string(command) + ")");
    static const GUID hostGuid = {};
    if (command == SCTL_CREATE && handle == INVALID_HANDLE_VALUE) {
        FarSettingsCreate *create = (FarSettingsCreate *)param;
        if (!create || create->StructSize < sizeof *create || memcmp(&create->Guid, &hostGuid, sizeof hostGuid))
            return 0;
        create->Handle = HostSettingsHandle;
        Wide.settingsOpen++;
        return 1;
    }
    if (handle == HostSettingsHandle) {
        FarSettingsItem *item = (FarSettingsItem *)param;
        if (command == SCTL_FREE) {
            Wide.settingsOpen--;
            return 1;
        }
        if (command != SCTL_GET || !item || item->Root != FSSF_CONFIRMATIONS || !item->Name ||
            wcscmp(item->Name, L"Esc") != 0 || item->Type != FST_QWORD)
            return 0;
        item->Value.Number = Wide.confirmEsc;
        return 1;
    }
    if (command == SCTL_CREATE) {
        FarSettingsCreate *create = (FarSettingsCreate *)param;
        if (!create || create->StructSize < sizeof *create || !IsPlugin(&create->Guid))
            return 0;
        Pending = Wide.settings[GuidText(create->Guid)];
        PendingTexts = Wide.texts[GuidText(create->Guid)];
        create->Handle = SettingsHandle;
        Wide.settingsOpen++;
        return 1;
    }
    if (handle != SettingsHandle)
        return 0;
    if (command == SCTL_FREE) {
        Wide.settings[GuidText(Wide.plugin)] = Pending;
        Wide.texts[GuidText(Wide.plugin)] = PendingTexts;
        Wide.settingsOpen--;
        return 1;
    }
    FarSettingsItem *item = (FarSettingsItem *)param;
    if (!item || item->StructSize < sizeof *item || item->Root != 0 || !item->Name)
        return 0;
    if (item->Type == FST_STRING)
        return TextSetting(command, *item);
    if (item->Type != FST_QWORD)
        return 0;
    if (command == SCTL_SET) {
        Pending[item->Name] = item->Value.Number;
        return 1;
    }
    auto stored = Pending.find(item->Name);
    if (command != SCTL_GET || stored == Pending.end())
        return 0;
    item->Value.Number = stored->second;
    return 1;
}

static intptr_t WINAPI AdvControlW(const GUID *plugin, AdvancedControlCommands command, intptr_t param1, void *param2)
{
    if (!IsPlugin(plugin))
        return 0;
    if (command == ACTL_SETPROGRESSSTATE)
        Wide.taskbar.push_back("state " + std::to_string(param1));
    else if (command == ACTL_SETPROGRESSVALUE && param2 && ((ProgressValue *)param2)->StructSize == sizeof(ProgressValue))
        Wide.taskbar.push_back("value " + std::to_string(((ProgressValue *)param2)->Completed) + "/" +
                               std::to_string(((ProgressValue *)param2)->Total));
    else if (command == ACTL_PROGRESSNOTIFY)
        Wide.taskbar.push_back("notify");
    else
        return 0;
    if (Wide.duringProgress)
        Wide.duringProgress();
    return 1;
}

static size_t WINAPI ProcessNameW(const wchar_t *masks, wchar_t *name, size_t, FLAGS64 flags)
{
    std::wstring list = masks ? masks : L"";
    bool valid = MaskListValid(list);
    if ((flags & 0xFF0000) == PN_CHECKMASK) {
        if (!valid && (flags & PN_SHOWERRORMESSAGE)) {
            Wide.hostErrors.push_back({"Error", "Invalid file mask: " + Narrow(list)});
            Wide.screen += DrawMessage(Wide.hostErrors.back());
        }
        return valid;
    }
    if ((flags & 0xFF0000) != PN_CMPNAMELIST || !name)
        return 0;
    std::wstring compared = name;
    if (flags & PN_SKIPPATH)
        compared.erase(0, compared.find_last_of(L"\\/") + 1);
    return valid && MaskListMatches(list, compared);
}

static intptr_t WINAPI FileFilterControlW(HANDLE filter, FarFilterControl command, intptr_t param1, void *param2)
{
    Record("FileFilterControl(" + std::to_string(command) + ")");
    if (command == FFCTL_CREATEFILEFILTER) {
        if (param1 != FFT_CUSTOM || !param2)
            return 0;
        *(HANDLE *)param2 = FilterHandle;
        Wide.filtersHeld++;
        return 1;
    }
    if (filter != FilterHandle)
        return 0;
    switch (command) {
    case FFCTL_FREEFILEFILTER:
        Wide.filtersHeld--;
        return 1;
    case FFCTL_OPENFILTERSMENU:
        Wide.filtersMenuOpened++;
        return 1;
    case FFCTL_STARTINGTOFILTER:
        Wide.filterStarted = true;
        return 1;
    case FFCTL_ISFILEINFILTER:
        // The real host tests a file's age against the time of the start.
        if (!Wide.filterStarted || !param2) {
            Record("FileFilterControl(not started)");
            return 0;
        }
        return Wide.filterBelow < 0 || ((PluginPanelItem *)param2)->FileSize < (uint64_t)Wide.filterBelow;
    default:
        return 0;
    }
}

PluginStartupInfo WideStartupInfo(const std::wstring &moduleName, FarStandardFunctions &fsf)
{
    static std::wstring name;
    name = moduleName;
    fsf = FarStandardFunctions();
    fsf.StructSize = sizeof fsf;
    fsf.ProcessName = ProcessNameW;
    PluginStartupInfo info = {};
    info.StructSize = sizeof info;
    info.ModuleName = name.c_str();
    info.Message = MessageW;
    info.GetMsg = GetMsgW;
    info.PanelControl = PanelControlW;
    info.SaveScreen = SaveScreenW;
    info.RestoreScreen = RestoreScreenW;
    info.GetDirList = GetDirListW;
    info.FreeDirList = FreeDirListW;
    info.FSF = &fsf;
    info.DialogInit = DialogInitW;
    info.DialogRun = DialogRunW;
    info.DialogFree = DialogFreeW;
    info.SendDlgMessage = SendDlgMessageW;
    info.DefDlgProc = DefDlgProcW;
    info.FileFilterControl = FileFilterControlW;
    info.SettingsControl = SettingsControlW;
    info.AdvControl = AdvControlW;
    info.FreeScreen = FreeScreenW;
    return info;
}

bool HostMeets(const VersionInfo &required)
{
    const VersionInfo host = {3, 0, 0, 6730, VS_RELEASE};
    if (host.Major != required.Major)
        return host.Major > required.Major;
    if (host.Minor != required.Minor)
        return host.Minor > required.Minor;
    if (host.Build != required.Build)
        return host.Build > required.Build;
    return host.Revision >= required.Revision;
}

bool IsWideModule(const std::string &path)
{
    HMODULE library = LoadLibraryExW(Widen(path).c_str(), nullptr, DONT_RESOLVE_DLL_REFERENCES);
    bool wide = library && GetProcAddress(library, "GetGlobalInfoW");
    if (library)
        FreeLibrary(library);
    return wide;
}

// Exports that would make the module a panel plugin.
static const char *const PanelExports[] = {"ClosePanelW", "GetOpenPanelInfoW", "GetFindDataW", "SetDirectoryW",
                                           "GetFilesW", "PutFilesW", "DeleteFilesW", "ProcessPanelInputW"};

static bool Refuse(WideModule &module, std::string &error, const std::string &why)
{
    error = why;
    UnloadWideModule(module);
    return false;
}

bool LoadWideModule(const std::string &path, WideModule &module, std::string &error)
{
    module = WideModule();
    module.library = LoadLibraryW(Widen(path).c_str());
    if (!module.library)
        return Refuse(module, error, "cannot load the module " + path);
    module.GetGlobalInfoW = (GetGlobalInfoWExport)(void *)GetProcAddress(module.library, "GetGlobalInfoW");
    module.SetStartupInfoW = (SetStartupInfoWExport)(void *)GetProcAddress(module.library, "SetStartupInfoW");
    module.GetPluginInfoW = (GetPluginInfoWExport)(void *)GetProcAddress(module.library, "GetPluginInfoW");
    module.OpenW = (OpenWExport)(void *)GetProcAddress(module.library, "OpenW");
    if (!module.GetGlobalInfoW || !module.SetStartupInfoW || !module.GetPluginInfoW || !module.OpenW)
        return Refuse(module, error, "the module lacks GetGlobalInfoW, SetStartupInfoW, GetPluginInfoW or OpenW");
    for (const char *name : PanelExports)
        if (GetProcAddress(module.library, name))
            return Refuse(module, error, std::string("the module exports ") + name + ", as a panel plugin does");
    GlobalInfo &global = module.global;
    global.StructSize = sizeof global;
    module.GetGlobalInfoW(&global);
    static const GUID none = {};
    if (!global.StructSize || !global.Title || !*global.Title || !global.Description || !*global.Description ||
        !global.Author || !*global.Author || memcmp(&global.Guid, &none, sizeof none) == 0)
        return Refuse(module, error, "the module's GlobalInfo lacks a title, description, author or GUID");
    if (!HostMeets(global.MinFarVersion))
        return Refuse(module, error, "the module requires a newer version of the host");
    Wide.plugin = global.Guid;
    return true;
}

void UnloadWideModule(WideModule &module)
{
    if (module.library)
        FreeLibrary(module.library);
    module = WideModule();
}

std::vector<FarMacroValue> MacroValues(const std::vector<std::string> &arguments, std::vector<std::wstring> &texts)
{
    std::vector<FarMacroValue> values(arguments.size());
    texts.assign(arguments.size(), L"");
    for (size_t i = 0; i < arguments.size(); i++) {
        const std::string &argument = arguments[i];
        char *end = nullptr;
        double number = strtod(argument.c_str(), &end);
        if (argument == "true" || argument == "false") {
            values[i].Type = FMVT_BOOLEAN;
            values[i].Boolean = argument == "true";
        } else if (argument == "nil") {
            values[i].Type = FMVT_NIL;
        } else if (!argument.empty() && end && *end == '\0') {
            values[i].Type = FMVT_DOUBLE;
            values[i].Double = number;
        } else {
            texts[i] = Widen(argument);
            values[i].Type = FMVT_STRING;
            values[i].String = texts[i].c_str();
        }
    }
    return values;
}

static std::string ValueText(const FarMacroValue &value)
{
    switch (value.Type) {
    case FMVT_INTEGER:
        return std::to_string(value.Integer);
    case FMVT_BOOLEAN:
        return value.Boolean ? "true" : "false";
    case FMVT_STRING:
        return "\"" + Text(value.String) + "\"";
    default:
        return "type " + std::to_string(value.Type);
    }
}

std::string MacroResult(HANDLE returned)
{
    if (!returned)
        return "false";
    if ((uintptr_t)returned < 0x10000)
        return "true";
    FarMacroCall *call = (FarMacroCall *)returned;
    if (call->StructSize < sizeof *call)
        return "a record too small for a FarMacroCall";
    std::string text;
    for (size_t i = 0; i < call->Count; i++)
        text += (i ? ", " : "") + ValueText(call->Values[i]);
    if (call->Callback)
        call->Callback(call->CallbackData, call->Values, call->Count);
    return text;
}
