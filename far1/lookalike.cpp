// A name reaches this module in the host's code page. A character the code
// page lacks becomes a look-alike on the way ("Āb.txt" turns into "Ab.txt"),
// both in the system's single-byte file services and in today's host's
// adapter for old modules, so the name received can be another file's that
// agrees on size and times. Whether it can be is decided from the folder's
// wide-character listing, read once per folder: the last few folders are
// kept, as a walk comes back to a parent after each of its subfolders.
#include "walk.h"

#include <cstring>

#ifdef _WIN32
enum : int {
    KeptChanged = 32,
    KeptFolders = 8,
};

// A folder listed, and the names its changed entries turn into; count -1:
// more than are kept, so every name there is in doubt.
struct ListedFolder {
    char path[MAX_PATH];
    char changed[KeptChanged][MAX_PATH];
    int count;
};

static ListedFolder Folders[KeptFolders];
static int NextFolder;

static UINT FileCodePage()
{
    return AreFileApisANSI() ? CP_ACP : CP_OEMCP;
}

// The entry's name as the code page gives it; true when that is not the
// name itself (a character turned into a look-alike). A name too long for
// the code page's MAX_PATH bytes reaches the module as no name at all.
static bool ChangedName(const wchar_t *name, char *out)
{
    wchar_t back[MAX_PATH];
    if (!WideCharToMultiByte(FileCodePage(), 0, name, -1, out, MAX_PATH, nullptr, nullptr))
        return false;
    return !MultiByteToWideChar(FileCodePage(), 0, out, -1, back, MAX_PATH) || wcscmp(back, name) != 0;
}

static void ListFolder(const char *folder, ListedFolder &listed)
{
    wchar_t pattern[MAX_PATH + 2];
    WIN32_FIND_DATAW found;
    memcpy(listed.path, folder, strlen(folder) + 1);
    listed.count = 0;
    int length = MultiByteToWideChar(FileCodePage(), 0, folder, -1, pattern, MAX_PATH);
    if (length == 0)
        return;
    wcscpy(pattern + length - 1, L"\\*");
    HANDLE search = FindFirstFileW(pattern, &found);
    if (search == INVALID_HANDLE_VALUE)
        return;
    do {
        char name[MAX_PATH];
        if (!ChangedName(found.cFileName, name))
            continue;
        if (listed.count == KeptChanged) {
            listed.count = -1;
            break;
        }
        memcpy(listed.changed[listed.count++], name, MAX_PATH);
    } while (FindNextFileW(search, &found));
    FindClose(search);
}

void ForgetListedFolders()
{
    for (ListedFolder &kept : Folders)
        kept.path[0] = '\0';
}

bool NameInDoubt(const char *path)
{
    char folder[MAX_PATH];
    const char *name = LastComponent(path);
    size_t length = (size_t)(name - path);
    if (length == 0 || length >= MAX_PATH)
        return false;
    memcpy(folder, path, length - 1);
    folder[length - 1] = '\0';
    ListedFolder *listed = nullptr;
    for (ListedFolder &kept : Folders)
        if (strcmp(kept.path, folder) == 0)
            listed = &kept;
    if (!listed) {
        listed = &Folders[NextFolder];
        NextFolder = (NextFolder + 1) % KeptFolders;
        ListFolder(folder, *listed);
    }
    for (int i = 0; i < listed->count; i++)
        if (lstrcmpiA(listed->changed[i], name) == 0)
            return true;
    return listed->count < 0;
}
#else
// The stand-in platform's names are bytes: none is ever changed.
void ForgetListedFolders() {}

bool NameInDoubt(const char *)
{
    return false;
}
#endif
