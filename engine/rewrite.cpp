// The in-place rewrite: convert into a temporary, give it what the source
// is (time stamps, attributes, who may use it) and move it over the source.
// The source changes only through that one replacing move, so it is either
// the old file or the whole converted one, and nothing else about it moves.
#include "engine.h"
#include "../settings/settings.h"

#include <cstring>

static char TempName[MAX_PATH];
static char OwnFolder[MAX_PATH];
static FILETIME CreationTime, LastAccessTime, LastWriteTime;
// The source's access (and owner) and the temporary's own, put back before
// a temporary that could not be moved is removed. A larger descriptor does
// not fit, and its file is left alone.
alignas(8) static unsigned char SourceAccess[16384];
alignas(8) static unsigned char TempAccess[16384];

// What a converted file takes over; read-only files are never converted.
static const DWORD CarriedAttributes = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                                       FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_TEMPORARY |
                                       FILE_ATTRIBUTE_OFFLINE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
static const SECURITY_INFORMATION AccessList = DACL_SECURITY_INFORMATION;
static const SECURITY_INFORMATION Owners = OWNER_SECURITY_INFORMATION | GROUP_SECURITY_INFORMATION;

bool SameTime(const FILETIME &a, const FILETIME &b)
{
    return a.dwLowDateTime == b.dwLowDateTime && a.dwHighDateTime == b.dwHighDateTime;
}

// Whether an open file is the one a listing described.
static bool IsListedFile(const BY_HANDLE_FILE_INFORMATION &info, const FileIdentity &expected)
{
    return info.nFileSizeHigh == expected.sizeHigh && info.nFileSizeLow == expected.sizeLow &&
           SameTime(info.ftCreationTime, expected.creation) && SameTime(info.ftLastWriteTime, expected.lastWrite);
}

Outcome OutcomeOfError(DWORD error)
{
    switch (error) {
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
        return InUse;
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
        return NameUnusable;
    case ERROR_FILENAME_EXCED_RANGE:
        return PathTooLong;
    default:
        return Unreadable;
    }
}

// Decided here, not by the platform, so every platform leaves the same
// files alone: a link would be converted through, out of the selection; a
// file with other hard links would part from them.
static Outcome Refusal(DWORD attributes, DWORD links)
{
    if (attributes & FILE_ATTRIBUTE_DIRECTORY)
        return LeftAlone;
    if (attributes & FILE_ATTRIBUTE_REPARSE_POINT)
        return ALink;
    if (attributes & FILE_ATTRIBUTE_READONLY)
        return ReadOnly;
    return links > 1 ? HardLinked : Converted;
}

// Reads a handle's access list, owner and group into area; false when they
// cannot be had. A volume without access lists has none to carry, and
// reports that as an unsupported request.
static bool ReadAccess(HANDLE file, unsigned char *area, DWORD &length, bool &none)
{
    DWORD needed = 0;
    none = false;
    if (GetKernelObjectSecurity(file, AccessList | Owners, area, sizeof SourceAccess, &needed)) {
        length = GetSecurityDescriptorLength(area);
        return true;
    }
    DWORD error = GetLastError();
    none = error == ERROR_NOT_SUPPORTED || error == ERROR_INVALID_FUNCTION;
    return false;
}

static bool CarryAccess, HaveTempAccess;

// Converts source into the open temporary and stamps it with the source's
// times; then, once both are closed, gives it the source's attributes and
// access list where the temporary's differ. Anything short of all of that
// keeps the source as it is.
static Outcome Finish(HANDLE source, HANDLE temp, DWORD attributes, DWORD tempAttributes)
{
    bool sourceHasNone = false, tempHasNone = false;
    DWORD sourceLength = 0, tempLength = 0;
    CarryAccess = ReadAccess(source, SourceAccess, sourceLength, sourceHasNone);
    HaveTempAccess = ReadAccess(temp, TempAccess, tempLength, tempHasNone);
    Outcome outcome = (CarryAccess && HaveTempAccess) || sourceHasNone ? Converted : NotReplaced;
    if (CarryAccess && HaveTempAccess && sourceLength == tempLength &&
        memcmp(SourceAccess, TempAccess, sourceLength) == 0)
        CarryAccess = false;
    if (outcome == Converted)
        outcome = ConvertLineBreaks(source, temp, Settings.ConvertMode);
    if (GetFileTime(source, &CreationTime, &LastAccessTime, &LastWriteTime))
        SetFileTime(temp, &CreationTime, &LastAccessTime, &LastWriteTime);
    CloseHandle(temp);
    CloseHandle(source);
    DWORD carried = attributes & CarriedAttributes ? attributes & CarriedAttributes : FILE_ATTRIBUTE_NORMAL;
    bool sameAttributes = carried == (tempAttributes & (CarriedAttributes | FILE_ATTRIBUTE_NORMAL));
    if (outcome == Converted && CarryAccess && !SetFileSecurityA(TempName, AccessList, SourceAccess))
        outcome = NotReplaced;
    if (outcome == Converted && !sameAttributes && !SetFileAttributesA(TempName, carried))
        outcome = NotReplaced;
    return outcome;
}

// otherVolume: the temporary lies on another volume than the source, so it
// could never be moved over it.
static Outcome ConvertIntoTemporary(HANDLE source, const BY_HANDLE_FILE_INFORMATION &info, bool &otherVolume)
{
    CarryAccess = HaveTempAccess = false;
    HANDLE temp = CreateFileA(TempName, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (temp == INVALID_HANDLE_VALUE) {
        CloseHandle(source);
        return Unwritable;
    }
    BY_HANDLE_FILE_INFORMATION where;
    if (!GetFileInformationByHandle(temp, &where))
        where.dwFileAttributes = 0; // unknown: the attributes are set
    else
        otherVolume = where.dwVolumeSerialNumber != info.dwVolumeSerialNumber;
    if (otherVolume) {
        CloseHandle(temp);
        CloseHandle(source);
        return NotReplaced;
    }
    return Finish(source, temp, info.dwFileAttributes, where.dwFileAttributes);
}

// Opens the source as the file it must be: no link, nothing read-only or
// hard-linked, and, when the host listed it, that very file.
static HANDLE OpenSource(const char *path, const FileIdentity *expected, BY_HANDLE_FILE_INFORMATION &info,
                         Outcome &outcome)
{
    // Delete access too: without it the file could not be replaced. The
    // link itself is opened, never what it leads to.
    HANDLE source = CreateFileA(path, GENERIC_READ | DELETE, 0, nullptr, OPEN_EXISTING,
                                FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (source == INVALID_HANDLE_VALUE) {
        // What the entry is tells why better than the error does: a folder,
        // or a link that a platform cannot open as itself.
        DWORD error = GetLastError(), attributes = GetFileAttributesA(path);
        outcome = attributes == INVALID_FILE_ATTRIBUTES ? Converted : Refusal(attributes, 1);
        if (outcome == Converted)
            outcome = OutcomeOfError(error);
        return source;
    }
    if (!GetFileInformationByHandle(source, &info))
        outcome = Unreadable;
    else if ((outcome = Refusal(info.dwFileAttributes, info.nNumberOfLinks)) == Converted && expected &&
             !IsListedFile(info, *expected))
        outcome = NameUnusable;
    if (outcome != Converted) {
        CloseHandle(source);
        return INVALID_HANDLE_VALUE;
    }
    return source;
}

// One attempt, with the temporary made in folder.
static Outcome RewriteThrough(const char *folder, const char *path, const FileIdentity *expected,
                              bool &otherVolume)
{
    otherVolume = false;
    BY_HANDLE_FILE_INFORMATION info;
    Outcome outcome;
    HANDLE source = OpenSource(path, expected, info, outcome);
    if (source == INVALID_HANDLE_VALUE)
        return outcome;
    if (GetTempFileNameA(folder, "cvt~", 0, TempName) == 0) {
        CloseHandle(source);
        return Unwritable;
    }
    outcome = ConvertIntoTemporary(source, info, otherVolume);
    if (outcome == Converted) {
        if (MoveFileExA(TempName, path, MOVEFILE_REPLACE_EXISTING)) {
            // Best effort: only a privileged user may give a file away.
            if (CarryAccess)
                SetFileSecurityA(path, Owners, SourceAccess);
            return Converted;
        }
        DWORD error = GetLastError();
        otherVolume = error == ERROR_NOT_SAME_DEVICE;
        outcome = error == ERROR_SHARING_VIOLATION ? InUse : NotReplaced;
    }
    // No temporary is left behind, whatever failed: a stray cvt file would
    // explain nothing to the user. Its own access list comes back first, in
    // case the source's would not let it be removed.
    if (HaveTempAccess)
        SetFileSecurityA(TempName, AccessList, TempAccess);
    DeleteFileA(TempName);
    return outcome;
}

// The folder part of path, its last backslash included.
static bool FolderOf(const char *path, char *folder)
{
    const char *slash = strrchr(path, '\\');
    if (!slash)
        return false;
    memcpy(folder, path, (size_t)(slash - path + 1));
    folder[slash - path + 1] = '\0';
    return true;
}

Outcome RewriteFile(const char *path, const FileIdentity *expected)
{
    // A longer path is refused whole: cut short it could name another file.
    if (strnlen(path, MAX_PATH) >= MAX_PATH)
        return PathTooLong;
    // The host hands "?" for a character its code page lacks; no file name
    // holds one, and a look-alike it could match might be another file.
    if (strchr(path, '?'))
        return NameUnusable;
    bool otherVolume;
    Outcome outcome = RewriteThrough(".", path, expected, otherVolume);
    // The working directory stays the first choice; only a file it cannot
    // reach by a move is converted through its own folder.
    if (otherVolume && FolderOf(path, OwnFolder))
        outcome = RewriteThrough(OwnFolder, path, expected, otherVolume);
    return outcome;
}
