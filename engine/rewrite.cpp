// The steps of the rewrite that take no path.
#include "rewrite.h"

#include <cstring>

AccessRecord Access;
const SECURITY_INFORMATION AccessList = DACL_SECURITY_INFORMATION;
const SECURITY_INFORMATION Owners = OWNER_SECURITY_INFORMATION | GROUP_SECURITY_INFORMATION;

// What a converted file takes over; read-only files are never converted.
static const DWORD CarriedAttributes = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                                       FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_TEMPORARY |
                                       FILE_ATTRIBUTE_OFFLINE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;

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
Outcome Refusal(DWORD attributes, DWORD links)
{
    if (attributes & FILE_ATTRIBUTE_DIRECTORY)
        return LeftAlone;
    if (attributes & FILE_ATTRIBUTE_REPARSE_POINT)
        return ALink;
    if (attributes & FILE_ATTRIBUTE_READONLY)
        return ReadOnly;
    return links > 1 ? HardLinked : Converted;
}

Outcome CheckSource(HANDLE source, const RewriteJob &job, BY_HANDLE_FILE_INFORMATION &info)
{
    if (!job.describe(source, info))
        return Unreadable;
    Outcome outcome = Refusal(info.dwFileAttributes, info.nNumberOfLinks);
    if (outcome == Converted && job.expected && !IsListedFile(info, *job.expected))
        return NameUnusable;
    return outcome;
}

// Reads a handle's access list, owner and group into area; false when they
// cannot be had. A volume without access lists has none to carry, and
// reports that as an unsupported request.
static bool ReadAccess(HANDLE file, unsigned char *area, DWORD &length, bool &none)
{
    DWORD needed = 0;
    none = false;
    if (GetKernelObjectSecurity(file, AccessList | Owners, area, sizeof Access.source, &needed)) {
        length = GetSecurityDescriptorLength(area);
        return true;
    }
    DWORD error = GetLastError();
    none = error == ERROR_NOT_SUPPORTED || error == ERROR_INVALID_FUNCTION;
    return false;
}

// Anything short of the whole conversion with the access list in hand
// keeps the source as it is.
Outcome FillTemporary(HANDLE source, HANDLE temp, const RewriteJob &job)
{
    bool sourceHasNone = false, tempHasNone = false;
    DWORD sourceLength = 0, tempLength = 0;
    Access.carry = ReadAccess(source, Access.source, sourceLength, sourceHasNone);
    Access.haveTemp = ReadAccess(temp, Access.temp, tempLength, tempHasNone);
    Outcome outcome = (Access.carry && Access.haveTemp) || sourceHasNone ? Converted : NotReplaced;
    if (Access.carry && Access.haveTemp && sourceLength == tempLength &&
        memcmp(Access.source, Access.temp, sourceLength) == 0)
        Access.carry = false;
    if (outcome == Converted)
        outcome = ConvertInBlocks(source, temp, job.mode, job.areas);
    FILETIME creation, lastAccess, lastWrite;
    if (GetFileTime(source, &creation, &lastAccess, &lastWrite))
        SetFileTime(temp, &creation, &lastAccess, &lastWrite);
    CloseHandle(temp);
    CloseHandle(source);
    return outcome;
}

bool AttributesToGive(DWORD attributes, DWORD tempAttributes, DWORD &given)
{
    given = attributes & CarriedAttributes ? attributes & CarriedAttributes : FILE_ATTRIBUTE_NORMAL;
    return given != (tempAttributes & (CarriedAttributes | FILE_ATTRIBUTE_NORMAL));
}
