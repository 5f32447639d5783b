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

Outcome CheckSource(HANDLE source, const RewriteJob &job, BY_HANDLE_FILE_INFORMATION &info, bool throughReparse)
{
    if (!DescribeFile(source, info))
        return Unreadable;
    DWORD attributes = throughReparse ? info.dwFileAttributes & ~FILE_ATTRIBUTE_REPARSE_POINT : info.dwFileAttributes;
    Outcome outcome = Refusal(attributes, info.nNumberOfLinks);
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
Outcome FillTemporary(HANDLE source, HANDLE temp, const RewriteJob &job, Stamps &stamps)
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
        outcome = ConvertInBlocks(source, temp, job.rules, job.areas);
    if (!stamps.taken)
        stamps.taken = GetFileTime(source, &stamps.creation, &stamps.access, &stamps.write);
    if (stamps.taken)
        SetFileTime(temp, &stamps.creation, &stamps.access, &stamps.write);
    // Written through before it takes the file's place: after a crash of
    // the system the file is found old or new, never empty.
    if (outcome == Converted && !FlushFileBuffers(temp))
        outcome = Unwritable;
    CloseHandle(temp);
    CloseHandle(source);
    return outcome;
}

bool StillAsRead(const WIN32_FILE_ATTRIBUTE_DATA &now, const BY_HANDLE_FILE_INFORMATION &read)
{
    return now.nFileSizeHigh == read.nFileSizeHigh && now.nFileSizeLow == read.nFileSizeLow &&
           SameTime(now.ftLastWriteTime, read.ftLastWriteTime);
}

Outcome OutcomeOfReplace(DWORD error)
{
    return error == ERROR_SHARING_VIOLATION ? InUse : NotReplaced;
}

#ifdef _WIN32
typedef BOOL(WINAPI *InformationByHandle)(HANDLE, FILE_INFO_BY_HANDLE_CLASS, void *, DWORD);

// Before Vista the system has no query of parts of the record.
static InformationByHandle QueryParts()
{
    static const InformationByHandle query = (InformationByHandle)(void *)GetProcAddress(
        GetModuleHandleW(L"kernel32.dll"), "GetFileInformationByHandleEx");
    return query;
}

bool DescribeFile(HANDLE file, BY_HANDLE_FILE_INFORMATION &info)
{
    FILE_BASIC_INFO basic;
    FILE_STANDARD_INFO standard;
    InformationByHandle query = QueryParts();
    if (!query)
        return GetFileInformationByHandle(file, &info);
    if (!query(file, FileBasicInfo, &basic, sizeof basic) || !query(file, FileStandardInfo, &standard, sizeof standard))
        return false;
    info = BY_HANDLE_FILE_INFORMATION();
    info.dwFileAttributes = basic.FileAttributes;
    info.ftCreationTime = {DWORD(basic.CreationTime.QuadPart), DWORD(basic.CreationTime.QuadPart >> 32)};
    info.ftLastAccessTime = {DWORD(basic.LastAccessTime.QuadPart), DWORD(basic.LastAccessTime.QuadPart >> 32)};
    info.ftLastWriteTime = {DWORD(basic.LastWriteTime.QuadPart), DWORD(basic.LastWriteTime.QuadPart >> 32)};
    info.nFileSizeHigh = DWORD(standard.EndOfFile.QuadPart >> 32);
    info.nFileSizeLow = DWORD(standard.EndOfFile.QuadPart);
    info.nNumberOfLinks = standard.NumberOfLinks;
    return true;
}

// A system that cannot list a file's streams (Wine, or before Vista) keeps
// none a move could lose.
static bool HasNamedStreams(HANDLE file)
{
    InformationByHandle query = QueryParts();
    alignas(8) static unsigned char streams[4096];
    if (!query)
        return false;
    if (!query(file, FileStreamInfo, streams, sizeof streams))
        return GetLastError() == ERROR_MORE_DATA;
    return ((const FILE_STREAM_INFO *)streams)->NextEntryOffset != 0;
}
#else
bool DescribeFile(HANDLE file, BY_HANDLE_FILE_INFORMATION &info)
{
    return GetFileInformationByHandle(file, &info);
}

static bool HasNamedStreams(HANDLE)
{
    return false;
}
#endif

bool HoldsMoreThanData(HANDLE file, DWORD attributes)
{
    return (attributes & (FILE_ATTRIBUTE_ENCRYPTED | FILE_ATTRIBUTE_COMPRESSED)) || HasNamedStreams(file);
}

bool AttributesToGive(DWORD attributes, DWORD tempAttributes, DWORD &given)
{
    given = attributes & CarriedAttributes ? attributes & CarriedAttributes : FILE_ATTRIBUTE_NORMAL;
    return given != (tempAttributes & (CarriedAttributes | FILE_ATTRIBUTE_NORMAL));
}
