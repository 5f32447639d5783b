// Stand-ins for the Windows services the product uses, for the native build.
// Only what the product and its tests call is here, with the Windows
// signatures, constants and failure results.
#pragma once

#include <cstdint>

#define WINAPI

typedef uint32_t DWORD;
typedef int32_t LONG;
typedef int BOOL;
typedef unsigned int UINT;
typedef unsigned char BYTE;
typedef intptr_t INT_PTR;
typedef uintptr_t DWORD_PTR;
typedef uintptr_t ULONG_PTR;
typedef void *HANDLE;
typedef struct RegistryKeySlot *HKEY;
typedef DWORD REGSAM;

struct FILETIME {
    DWORD dwLowDateTime;
    DWORD dwHighDateTime;
};

struct RECT {
    LONG left, top, right, bottom;
};

#define MAX_PATH 260
#define INVALID_HANDLE_VALUE ((HANDLE)(intptr_t)-1)
#define FILE_ATTRIBUTE_DIRECTORY 0x10u
#define FILE_ATTRIBUTE_ARCHIVE 0x20u
#define FILE_ATTRIBUTE_REPARSE_POINT 0x400u
#define GENERIC_READ 0x80000000u
#define GENERIC_WRITE 0x40000000u
#define CREATE_ALWAYS 2
#define OPEN_EXISTING 3
#define MOVEFILE_REPLACE_EXISTING 1u

#define HKEY_CURRENT_USER ((HKEY)(uintptr_t)0x80000001u)
#define KEY_QUERY_VALUE 0x0001u
#define KEY_WRITE 0x20006u
#define REG_DWORD 4u
#define ERROR_SUCCESS 0L

// C linkage, as the Windows services have.
extern "C" {

UINT GetTempFileNameA(const char *dir, const char *prefix, UINT unique, char *name);
HANDLE CreateFileA(const char *name, DWORD access, DWORD share, void *security,
                   DWORD disposition, DWORD flags, HANDLE templ);
BOOL ReadFile(HANDLE file, void *buffer, DWORD size, DWORD *got, void *overlapped);
BOOL WriteFile(HANDLE file, const void *buffer, DWORD size, DWORD *put, void *overlapped);
BOOL GetFileTime(HANDLE file, FILETIME *creation, FILETIME *access, FILETIME *write);
BOOL SetFileTime(HANDLE file, const FILETIME *creation, const FILETIME *access,
                 const FILETIME *write);
BOOL CloseHandle(HANDLE object);
BOOL MoveFileExA(const char *from, const char *to, DWORD flags);
BOOL DeleteFileA(const char *name);

LONG RegOpenKeyExA(HKEY root, const char *subKey, DWORD options, REGSAM access, HKEY *key);
LONG RegQueryValueExA(HKEY key, const char *name, DWORD *reserved, DWORD *type,
                      BYTE *data, DWORD *size);
LONG RegCreateKeyExA(HKEY root, const char *subKey, DWORD reserved, char *keyClass,
                     DWORD options, REGSAM access, void *security, HKEY *key,
                     DWORD *disposition);
LONG RegSetValueExA(HKEY key, const char *name, DWORD reserved, DWORD type,
                    const BYTE *data, DWORD size);
LONG RegCloseKey(HKEY key);

} // extern "C"

// Host paths use backslashes; this turns one into the native form. Returns
// false when it does not fit.
bool NativePath(const char *hostPath, char *out, unsigned outSize);
