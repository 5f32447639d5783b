// The in-place rewrite, one code for either kind of path: convert into a
// temporary, give it what the source is (time stamps, attributes, who may
// use it) and move it over the source. The source changes only through that
// one replacing move, so it is either the old file or the whole converted
// one, and nothing else about it moves.
#pragma once

#include "engine.h"
#include "files.h"

#include <cstddef>

// What an open file is: its attributes, times, size and number of names.
// Where the system has them, two small queries; the whole record costs far
// more (under Wine several times a small file's conversion), for the
// volume, which the move itself tells when it differs.
bool DescribeFile(HANDLE file, BY_HANDLE_FILE_INFORMATION &info);

struct RewriteJob {
    ConvertRules rules;
    ConvertAreas areas;
    const FileIdentity *expected; // null: any file at the path
    // The file is read up to its first change before a temporary is made:
    // one already in the form asked for is left as it is. Its times are
    // taken before it is read, so the reading moves none of them.
    bool spareUnchanged;
};

// The time stamps a converted file takes over.
struct Stamps {
    FILETIME creation, access, write;
    bool taken;
};

// The source's access (and owner) and the temporary's own, put back before
// a temporary that could not be moved is removed. A larger descriptor does
// not fit, and its file is left alone.
struct AccessRecord {
    bool carry;    // the source's access list differs from the temporary's
    bool haveTemp; // temp holds the temporary's own
    alignas(8) unsigned char source[16384];
    alignas(8) unsigned char temp[16384];
};
extern AccessRecord Access;

extern const SECURITY_INFORMATION AccessList, Owners;

// Why a file with these attributes and this many names is not converted,
// or Converted when nothing stands against it.
Outcome Refusal(DWORD attributes, DWORD links);
// The same for an open source, which must also be the file the host listed;
// throughReparse: it was opened through a reparse point that is no link.
Outcome CheckSource(HANDLE source, const RewriteJob &job, BY_HANDLE_FILE_INFORMATION &info,
                    bool throughReparse = false);
// Reads both access lists, converts source into temp, stamps it with the
// source's times (as stamps holds them, or else as the reading left them)
// and has its data reach the disk, then closes both.
Outcome FillTemporary(HANDLE source, HANDLE temp, const RewriteJob &job, Stamps &stamps);
// Whether the file at the path is still as the open source was described:
// no other program has written to it since.
bool StillAsRead(const WIN32_FILE_ATTRIBUTE_DATA &now, const BY_HANDLE_FILE_INFORMATION &read);
// What the failed replacing move means.
Outcome OutcomeOfReplace(DWORD error);
// Whether the open file holds more than a replacing move would keep: named
// streams (the mark of a downloaded file among them), encryption,
// compression.
bool HoldsMoreThanData(HANDLE file, DWORD attributes);

// The backup's name beside the temporary: its ".tmp" made ".bak".
template <class Char> bool BackupNameOf(const Char *temp, Char *backup)
{
    size_t length = 0;
    while (temp[length])
        length++;
    if (length < 4 || temp[length - 4] != '.')
        return false;
    for (size_t i = 0; i < length - 3; i++)
        backup[i] = temp[i];
    backup[length - 3] = 'b';
    backup[length - 2] = 'a';
    backup[length - 1] = 'k';
    backup[length] = 0;
    return true;
}

// The temporary takes the file's place: by one replacing move, or, for a
// file that holds more than its data, by the system's replace, which keeps
// it all; the file waits under a backup name meanwhile and comes back if
// the replace fails half-way.
template <class Char> Outcome PutInPlace(const Char *path, const Char *tempName, bool keepsMore, bool &otherVolume)
{
    static Char backup[32768];
    if (!keepsMore && MoveOver(tempName, path))
        return Converted;
    if (keepsMore && !BackupNameOf(tempName, backup))
        return NotReplaced;
    if (keepsMore && ReplaceWith(path, tempName, backup)) {
        RemoveAt(backup);
        return Converted;
    }
    DWORD error = GetLastError();
    if (keepsMore && error == ERROR_UNABLE_TO_MOVE_REPLACEMENT_2)
        MoveOver(backup, path);
    otherVolume = error == ERROR_NOT_SAME_DEVICE;
    return OutcomeOfReplace(error);
}
// The attributes a converted file takes over; false when the temporary has
// them already.
bool AttributesToGive(DWORD attributes, DWORD tempAttributes, DWORD &given);

// Opens the source as the file it must be: no link, nothing read-only or
// hard-linked, and, when the host listed it, that very file.
template <class Char>
HANDLE OpenSource(const Char *path, const RewriteJob &job, BY_HANDLE_FILE_INFORMATION &info, Outcome &outcome)
{
    // Delete access too: without it the file could not be replaced. The
    // link itself is opened, never what it leads to.
    HANDLE source = OpenAt(path, GENERIC_READ | DELETE, 0, OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT);
    if (source == INVALID_HANDLE_VALUE) {
        // What the entry is tells why better than the error does: a folder,
        // or a link that a platform cannot open as itself.
        DWORD error = GetLastError(), attributes = AttributesAt(path);
        outcome = attributes == INVALID_FILE_ATTRIBUTES ? Converted : Refusal(attributes, 1);
        if (outcome == Converted)
            outcome = OutcomeOfError(error);
        return source;
    }
    outcome = CheckSource(source, job, info);
    if (outcome == ALink && !LinksToAnotherName(path)) {
        CloseHandle(source);
        source = OpenAt(path, GENERIC_READ | DELETE, 0, OPEN_EXISTING, 0);
        if (source == INVALID_HANDLE_VALUE) {
            outcome = OutcomeOfError(GetLastError());
            return source;
        }
        outcome = CheckSource(source, job, info, true);
    }
    if (outcome != Converted) {
        CloseHandle(source);
        return INVALID_HANDLE_VALUE;
    }
    return source;
}

// Converts the open source into the open temporary at tempName and gives
// that the source's attributes and access list.
template <class Char>
Outcome ConvertIntoTemporary(const Char *tempName, HANDLE temp, HANDLE source, const BY_HANDLE_FILE_INFORMATION &info,
                             const RewriteJob &job, Stamps &stamps)
{
    Access.carry = Access.haveTemp = false;
    BY_HANDLE_FILE_INFORMATION where;
    if (!DescribeFile(temp, where))
        where.dwFileAttributes = 0; // unknown: the attributes are set
    Outcome outcome = FillTemporary(source, temp, job, stamps);
    DWORD given;
    if (outcome == Converted && Access.carry && !SetAccessAt(tempName, AccessList, Access.source))
        outcome = NotReplaced;
    if (outcome == Converted && AttributesToGive(info.dwFileAttributes, where.dwFileAttributes, given) &&
        !SetAttributesAt(tempName, given))
        outcome = NotReplaced;
    return outcome;
}

// One attempt, with the temporary made in folder by makeTemporary;
// tempName receives its path. otherVolume: the temporary could not take the
// file's place, lying on another volume.
template <class Char>
Outcome RewriteThrough(const Char *folder, const Char *path, Char *tempName, const RewriteJob &job,
                       TemporaryMaker<Char> makeTemporary, bool &otherVolume)
{
    otherVolume = false;
    BY_HANDLE_FILE_INFORMATION info;
    Outcome outcome;
    HANDLE source = OpenSource(path, job, info, outcome);
    if (source == INVALID_HANDLE_VALUE)
        return outcome;
    bool keepsMore = HoldsMoreThanData(source, info.dwFileAttributes);
    Stamps stamps = {};
    if (job.spareUnchanged) {
        stamps.taken = GetFileTime(source, &stamps.creation, &stamps.access, &stamps.write);
        if ((outcome = FindChange(source, job.rules, job.areas)) != Converted) {
            CloseHandle(source);
            return outcome;
        }
    }
    HANDLE temp = makeTemporary(folder, tempName);
    if (temp == INVALID_HANDLE_VALUE) {
        CloseHandle(source);
        return Unwritable;
    }
    outcome = ConvertIntoTemporary(tempName, temp, source, info, job, stamps);
    WIN32_FILE_ATTRIBUTE_DATA now;
    // Another program may have written to the file since it was read; its
    // bytes are kept.
    if (outcome == Converted && (!DescribeAt(path, now) || !StillAsRead(now, info)))
        outcome = ChangedMeanwhile;
    if (outcome == Converted && (outcome = PutInPlace(path, tempName, keepsMore, otherVolume)) == Converted) {
        // Best effort: only a privileged user may give a file away.
        if (Access.carry)
            SetAccessAt(path, Owners, Access.source);
        return Converted;
    }
    // No temporary is left behind, whatever failed: a stray cvt file would
    // explain nothing to the user. Its own access list comes back first, in
    // case the source's would not let it be removed.
    if (Access.haveTemp)
        SetAccessAt(tempName, AccessList, Access.temp);
    RemoveAt(tempName);
    return outcome;
}

// A folder is the listed one when its creation time matches; its other
// times change whenever anything inside it does. With more flags, such as
// FILE_FLAG_OPEN_REPARSE_POINT to look at a link itself.
template <class Char> Outcome CheckFolder(const Char *path, const FILETIME &creation, DWORD moreFlags = 0)
{
    HANDLE folder = OpenAt(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, OPEN_EXISTING,
                           FILE_FLAG_BACKUP_SEMANTICS | moreFlags);
    if (folder == INVALID_HANDLE_VALUE) {
        Outcome outcome = OutcomeOfError(GetLastError());
        return outcome == Unreadable ? NotListed : outcome;
    }
    BY_HANDLE_FILE_INFORMATION info;
    bool same = DescribeFile(folder, info) && (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
                SameTime(info.ftCreationTime, creation);
    CloseHandle(folder);
    return same ? Converted : NameUnusable;
}
