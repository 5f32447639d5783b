// Conversion of one file's line breaks, in place.
#pragma once

#include "../platform/platform.h"

enum : DWORD {
    BlockSize = 2048,
};

// The two target forms; every mode but ModeToLf converts to CR LF.
enum ConvertModes : DWORD {
    ModeToLf = 0,
    ModeToCrLf = 1,
};

// What became of one entry of the selection. Every outcome after
// LeftAlone is a reason the user is told of.
enum Outcome : int {
    Converted,
    LeftAlone,   // not a file to convert (a folder with recursion off)
    ReadOnly,
    ALink,       // a symbolic link or other reparse point
    HardLinked,  // the file has other names that would keep the old bytes
    InUse,       // another program holds it open
    Unreadable,
    Unwritable,  // the converted copy could not be written: disk full or refused
    NotReplaced, // the copy could not take the file's place, or its access
    NameUnusable,
    PathTooLong,
    NotListed,   // a folder whose listing failed
};

// What the host's listing said of a file: a name can reach the module
// changed, and lead to another file than the one listed.
struct FileIdentity {
    DWORD sizeHigh, sizeLow;
    FILETIME creation, lastWrite;
};

// Streams source into target, turning every CR LF, LF CR, lone CR and lone
// LF into LF (mode 0) or CR LF (any other mode). Converted, or Unreadable
// or Unwritable when a read or a write failed: the target is then not a
// faithful copy.
Outcome ConvertLineBreaks(HANDLE source, HANDLE target, DWORD mode);

// Converts the file at path with the current ConvertMode, keeping its time
// stamps, attributes and access, through a cvt temporary in the working
// directory (or, when that lies on another volume, in the file's own). With
// expected, only if the file is the one the host listed.
Outcome RewriteFile(const char *path, const FileIdentity *expected = nullptr);

bool SameTime(const FILETIME &a, const FILETIME &b);

// The outcome a failed open of a file reports, from its platform error.
Outcome OutcomeOfError(DWORD error);
