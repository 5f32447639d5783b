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
// The converted temporary takes the file's place in one step: at no moment
// is there no file at the path, and the change of names reaches the disk
// before the call returns.
inline bool MoveOver(const char *from, const char *to)
{
    return MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
}
// The same, keeping what makes the file itself beyond its data (named
// streams, encryption, compression, short name, object identifier); the
// file moves to backup first, so no failure loses it.
inline bool ReplaceWith(const char *path, const char *temp, const char *backup)
{
    return ReplaceFileA(path, temp, backup, REPLACEFILE_WRITE_THROUGH, nullptr, nullptr);
}
inline bool DescribeAt(const char *path, WIN32_FILE_ATTRIBUTE_DATA &data)
{
    return GetFileAttributesExA(path, GetFileExInfoStandard, &data);
}

// Whether the reparse point at path is a link to another name (a symbolic
// link, a junction, a mount point). Others, such as the placeholders of a
// synchronised folder or deduplicated files, are read as what they show.
// Where that cannot be told (no tag reported, as under Wine), it is taken
// for a link.
#ifdef _WIN32
template <class Data> bool IsNameSurrogate(HANDLE search, const Data &found)
{
    if (search == INVALID_HANDLE_VALUE)
        return true;
    FindClose(search);
    return !(found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) || found.dwReserved0 == 0 ||
           IsReparseTagNameSurrogate(found.dwReserved0);
}
inline bool LinksToAnotherName(const char *path)
{
    WIN32_FIND_DATAA found;
    return IsNameSurrogate(FindFirstFileA(path, &found), found);
}
inline bool LinksToAnotherName(const wchar_t *path)
{
    WIN32_FIND_DATAW found;
    return IsNameSurrogate(FindFirstFileW(path, &found), found);
}
#else
// The stand-in platform's only reparse points are symbolic links.
inline bool LinksToAnotherName(const char *)
{
    return true;
}
#endif
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
    return MoveFileExW(from, to, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
}
inline bool ReplaceWith(const wchar_t *path, const wchar_t *temp, const wchar_t *backup)
{
    return ReplaceFileW(path, temp, backup, REPLACEFILE_WRITE_THROUGH, nullptr, nullptr);
}
inline bool DescribeAt(const wchar_t *path, WIN32_FILE_ATTRIBUTE_DATA &data)
{
    return GetFileAttributesExW(path, GetFileExInfoStandard, &data);
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
