// Native stand-in for the part of the Windows registry the product uses:
// keys under HKEY_CURRENT_USER are folders below one store folder, and each
// value is a file holding its 4-byte type followed by its data.
#include "posix.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

static const LONG ErrorFileNotFound = 2;
static const LONG ErrorAccessDenied = 5;
static const LONG ErrorInvalidParameter = 87;
static const LONG ErrorMoreData = 234;
static const LONG ErrorBadPathname = 161;

struct RegistryKeySlot {
    bool used;
    char dir[PATH_MAX];
};

static RegistryKeySlot KeySlots[8];

// The one place that decides where the store lives: the user's
// configuration folder, as XDG names it.
static bool StoreFolder(char *out, size_t size)
{
    const char *config = getenv("XDG_CONFIG_HOME");
    const char *home = getenv("HOME");
    int n;
    if (config && *config)
        n = snprintf(out, size, "%s/quillmere-registry/HKEY_CURRENT_USER", config);
    else if (home && *home)
        n = snprintf(out, size, "%s/.config/quillmere-registry/HKEY_CURRENT_USER", home);
    else
        return false;
    return n > 0 && (size_t)n < size;
}

// Appends the key path as folders; empty, "." and ".." components are
// refused, so no key can name a folder outside the store.
static bool KeyFolder(const char *subKey, char *out, size_t size)
{
    if (!StoreFolder(out, size))
        return false;
    size_t length = strlen(out);
    const char *part = subKey;
    for (;;) {
        const char *end = strchr(part, '\\');
        size_t partLength = end ? (size_t)(end - part) : strlen(part);
        if (partLength == 0 || (partLength == 1 && part[0] == '.') ||
            (partLength == 2 && part[0] == '.' && part[1] == '.') ||
            length + 1 + partLength >= size || memchr(part, '/', partLength))
            return false;
        out[length++] = '/';
        memcpy(out + length, part, partLength);
        length += partLength;
        out[length] = '\0';
        if (!end)
            return true;
        part = end + 1;
    }
}

static bool ValueFile(HKEY key, const char *name, char *out, size_t size)
{
    if (!name || !*name || strchr(name, '/') || !strcmp(name, ".") || !strcmp(name, ".."))
        return false;
    int n = snprintf(out, size, "%s/%s", key->dir, name);
    return n > 0 && (size_t)n < size;
}

static HKEY TakeSlot(const char *dir)
{
    for (RegistryKeySlot &slot : KeySlots)
        if (!slot.used) {
            slot.used = true;
            snprintf(slot.dir, sizeof slot.dir, "%s", dir);
            return &slot;
        }
    return nullptr;
}

static bool MakeFolders(char *path)
{
    for (char *at = path + 1; *at; at++)
        if (*at == '/') {
            *at = '\0';
            bool made = mkdir(path, 0700) == 0 || errno == EEXIST;
            *at = '/';
            if (!made)
                return false;
        }
    return mkdir(path, 0700) == 0 || errno == EEXIST;
}

LONG RegOpenKeyExA(HKEY root, const char *subKey, DWORD, REGSAM, HKEY *key)
{
    char dir[PATH_MAX];
    struct stat info;
    if (root != HKEY_CURRENT_USER || !KeyFolder(subKey, dir, sizeof dir))
        return ErrorBadPathname;
    if (stat(dir, &info) != 0 || !S_ISDIR(info.st_mode))
        return ErrorFileNotFound;
    *key = TakeSlot(dir);
    return *key ? ERROR_SUCCESS : ErrorAccessDenied;
}

LONG RegCreateKeyExA(HKEY root, const char *subKey, DWORD, char *, DWORD, REGSAM, void *,
                     HKEY *key, DWORD *)
{
    char dir[PATH_MAX];
    struct stat info;
    if (root != HKEY_CURRENT_USER || !KeyFolder(subKey, dir, sizeof dir))
        return ErrorBadPathname;
    if (!MakeFolders(dir) || stat(dir, &info) != 0 || !S_ISDIR(info.st_mode))
        return ErrorAccessDenied;
    *key = TakeSlot(dir);
    return *key ? ERROR_SUCCESS : ErrorAccessDenied;
}

LONG RegCloseKey(HKEY key)
{
    key->used = false;
    return ERROR_SUCCESS;
}

LONG RegQueryValueExA(HKEY key, const char *name, DWORD *, DWORD *type, BYTE *data, DWORD *size)
{
    char path[PATH_MAX];
    if (!ValueFile(key, name, path, sizeof path))
        return ErrorFileNotFound;
    FILE *file = fopen(path, "rb");
    if (!file)
        return ErrorFileNotFound;
    BYTE stored[4 + 4096];
    size_t length = fread(stored, 1, sizeof stored, file);
    fclose(file);
    if (length < 4)
        return ErrorFileNotFound;
    DWORD dataSize = (DWORD)(length - 4);
    if (type)
        memcpy(type, stored, 4);
    LONG result = ERROR_SUCCESS;
    if (data && size && dataSize > *size)
        result = ErrorMoreData;
    else if (data && size)
        memcpy(data, stored + 4, dataSize);
    if (size)
        *size = dataSize;
    return result;
}

LONG RegSetValueExA(HKEY key, const char *name, DWORD, DWORD type, const BYTE *data, DWORD size)
{
    char path[PATH_MAX], fresh[PATH_MAX + 8];
    BYTE stored[4 + 4096];
    if (!ValueFile(key, name, path, sizeof path) || size > sizeof stored - 4)
        return ErrorInvalidParameter;
    memcpy(stored, &type, 4);
    memcpy(stored + 4, data, size);
    snprintf(fresh, sizeof fresh, "%s.new", path);
    FILE *file = fopen(fresh, "wb");
    if (!file)
        return ErrorAccessDenied;
    bool written = fwrite(stored, 1, 4 + size, file) == 4 + size;
    written = fclose(file) == 0 && written;
    // A value is replaced whole or not at all, as the registry does.
    if (!written || rename(fresh, path) != 0) {
        unlink(fresh);
        return ErrorAccessDenied;
    }
    return ERROR_SUCCESS;
}
