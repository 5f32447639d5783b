// The rewrite for today's host: UTF-16 paths of any length (the form that
// starts with \\?\ takes them all), and the temporary beside the file.
#include "walk.h"
#include "../engine/rewrite.h"

#include <cwchar>

std::wstring LongForm(const std::wstring &path)
{
    if (path.compare(0, 4, L"\\\\?\\") == 0)
        return path;
    if (path.compare(0, 2, L"\\\\") == 0)
        return L"\\\\?\\UNC\\" + path.substr(2);
    return L"\\\\?\\" + path;
}

enum : size_t {
    LongestPath = 32767,
    TempNameLength = 16, // cvt~XXXXXXXX.tmp
};

static HANDLE MakeTemporary(const wchar_t *folder, wchar_t *name)
{
    static unsigned next = GetTickCount() ^ (GetCurrentProcessId() << 16);
    if (wcslen(folder) + TempNameLength >= LongestPath)
        return INVALID_HANDLE_VALUE;
    for (int tries = 0; tries < 100; tries++) {
        swprintf(name, LongestPath + 1, L"%lscvt~%08X.tmp", folder, next++);
        HANDLE made = CreateFileW(name, GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
        if (made != INVALID_HANDLE_VALUE || GetLastError() != ERROR_FILE_EXISTS)
            return made;
    }
    return INVALID_HANDLE_VALUE;
}

Outcome RewriteWide(const std::wstring &path, const FileIdentity *expected, const ConvertRules &rules,
                    const ConvertAreas &areas)
{
    static wchar_t tempName[LongestPath + 1];
    std::wstring full = LongForm(path);
    size_t slash = full.rfind(L'\\');
    if (full.size() >= LongestPath)
        return PathTooLong;
    const RewriteJob job = {rules, areas, expected, true};
    // The temporary goes beside the file, so the move never crosses volumes.
    std::wstring folder = full.substr(0, slash + 1);
    bool otherVolume;
    return RewriteThrough(folder.c_str(), full.c_str(), tempName, job, MakeTemporary, otherVolume);
}
