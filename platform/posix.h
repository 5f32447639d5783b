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

struct WIN32_FILE_ATTRIBUTE_DATA {
    DWORD dwFileAttributes;
    FILETIME ftCreationTime;
    FILETIME ftLastAccessTime;
    FILETIME ftLastWriteTime;
    DWORD nFileSizeHigh;
    DWORD nFileSizeLow;
};

enum GET_FILEEX_INFO_LEVELS {
    GetFileExInfoStandard,
};

struct BY_HANDLE_FILE_INFORMATION {
    DWORD dwFileAttributes;
    FILETIME ftCreationTime;
    FILETIME ftLastAccessTime;
    FILETIME ftLastWriteTime;
    DWORD dwVolumeSerialNumber;
    DWORD nFileSizeHigh;
    DWORD nFileSizeLow;
    DWORD nNumberOfLinks;
    DWORD nFileIndexHigh;
    DWORD nFileIndexLow;
};

typedef void *PSECURITY_DESCRIPTOR;
typedef DWORD SECURITY_INFORMATION;

#define MAX_PATH 260
#define INVALID_HANDLE_VALUE ((HANDLE)(intptr_t)-1)
#define INVALID_FILE_ATTRIBUTES 0xFFFFFFFFu
#define FILE_ATTRIBUTE_READONLY 0x1u
#define FILE_ATTRIBUTE_HIDDEN 0x2u
#define FILE_ATTRIBUTE_SYSTEM 0x4u
#define FILE_ATTRIBUTE_DIRECTORY 0x10u
#define FILE_ATTRIBUTE_ARCHIVE 0x20u
#define FILE_ATTRIBUTE_NORMAL 0x80u
#define FILE_ATTRIBUTE_TEMPORARY 0x100u
#define FILE_ATTRIBUTE_REPARSE_POINT 0x400u
#define FILE_ATTRIBUTE_OFFLINE 0x1000u
#define FILE_ATTRIBUTE_NOT_CONTENT_INDEXED 0x2000u
#define FILE_SHARE_READ 1u
#define FILE_SHARE_WRITE 2u
#define FILE_SHARE_DELETE 4u
#define FILE_FLAG_BACKUP_SEMANTICS 0x02000000u
#define FILE_FLAG_OPEN_REPARSE_POINT 0x00200000u
#define GENERIC_READ 0x80000000u
#define GENERIC_WRITE 0x40000000u
#define CREATE_ALWAYS 2
#define OPEN_EXISTING 3
#define MOVEFILE_REPLACE_EXISTING 1u
#define MOVEFILE_WRITE_THROUGH 8u
#define ERROR_UNABLE_TO_MOVE_REPLACEMENT_2 1177u
#define FILE_ATTRIBUTE_COMPRESSED 0x800u
#define FILE_ATTRIBUTE_ENCRYPTED 0x4000u
#define REPLACEFILE_WRITE_THROUGH 1u
#define FILE_BEGIN 0u
#define INVALID_SET_FILE_POINTER 0xFFFFFFFFu
#define OWNER_SECURITY_INFORMATION 1u
#define GROUP_SECURITY_INFORMATION 2u
#define DELETE 0x00010000u
#define DACL_SECURITY_INFORMATION 4u

#define ERROR_INVALID_FUNCTION 1u
#define ERROR_FILE_NOT_FOUND 2u
#define ERROR_PATH_NOT_FOUND 3u
#define ERROR_ACCESS_DENIED 5u
#define ERROR_NOT_SAME_DEVICE 17u
#define ERROR_SHARING_VIOLATION 32u
#define ERROR_LOCK_VIOLATION 33u
#define ERROR_NOT_SUPPORTED 50u
#define ERROR_DISK_FULL 112u
#define ERROR_INSUFFICIENT_BUFFER 122u
#define ERROR_INVALID_NAME 123u
#define ERROR_FILENAME_EXCED_RANGE 206u

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
BOOL ReplaceFileA(const char *replaced, const char *replacement, const char *backup, DWORD flags, void *exclude,
                  void *reserved);
BOOL FlushFileBuffers(HANDLE file);
DWORD SetFilePointer(HANDLE file, LONG distance, LONG *distanceHigh, DWORD method);
BOOL GetFileAttributesExA(const char *name, GET_FILEEX_INFO_LEVELS level, void *data);
BOOL DeleteFileA(const char *name);
DWORD GetFileAttributesA(const char *name);
BOOL SetFileAttributesA(const char *name, DWORD attributes);
BOOL GetFileInformationByHandle(HANDLE file, BY_HANDLE_FILE_INFORMATION *info);
DWORD GetLastError(void);
void SetLastError(DWORD error);

// Who may use a file: natively its owner, group and permission bits.
BOOL GetKernelObjectSecurity(HANDLE object, SECURITY_INFORMATION wanted,
                             PSECURITY_DESCRIPTOR descriptor, DWORD size, DWORD *needed);
BOOL SetFileSecurityA(const char *name, SECURITY_INFORMATION given,
                      PSECURITY_DESCRIPTOR descriptor);
DWORD GetSecurityDescriptorLength(PSECURITY_DESCRIPTOR descriptor);

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
