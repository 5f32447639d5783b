// The file services the rewrite calls by path, for either kind of path: the
// single-byte module's (the host's code page) and the wide module's
// (UTF-16, any length in the \\?\ form).
#pragma once

#include "../platform/platform.h"

inline HANDLE OpenAt(const char *path, DWORD access, DWORD share, DWORD disposition, DWORD flags)
{
    return CreateFileA(path, access, share, nullptr, disposition, flags, nullptr);
}
inline DWORD AttributesAt(const char *path)
{
    return GetFileAttributesA(path);
}
inline bool SetAttributesAt(const char *path, DWORD attributes)
{
    return SetFileAttributesA(path, attributes);
}
inline bool SetAccessAt(const char *path, SECURITY_INFORMATION parts, void *descriptor)
{
    return SetFileSecurityA(path, parts, descriptor);
}
inline bool MoveOver(const char *from, const char *to)
{
    return MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING);
}
inline bool RemoveAt(const char *path)
{
    return DeleteFileA(path);
}

#ifdef _WIN32
inline HANDLE OpenAt(const wchar_t *path, DWORD access, DWORD share, DWORD disposition, DWORD flags)
{
    return CreateFileW(path, access, share, nullptr, disposition, flags, nullptr);
}
inline DWORD AttributesAt(const wchar_t *path)
{
    return GetFileAttributesW(path);
}
inline bool SetAttributesAt(const wchar_t *path, DWORD attributes)
{
    return SetFileAttributesW(path, attributes);
}
inline bool SetAccessAt(const wchar_t *path, SECURITY_INFORMATION parts, void *descriptor)
{
    return SetFileSecurityW(path, parts, descriptor);
}
inline bool MoveOver(const wchar_t *from, const wchar_t *to)
{
    return MoveFileExW(from, to, MOVEFILE_REPLACE_EXISTING);
}
inline bool RemoveAt(const wchar_t *path)
{
    return DeleteFileW(path);
}
#endif

// Makes a new, empty temporary in folder, puts its path into name and
// returns it open for writing (INVALID_HANDLE_VALUE when it cannot); each
// module names its temporaries its own way and hands its maker in.
template <class Char> using TemporaryMaker = HANDLE (*)(const Char *folder, Char *name);
