// Paths and the walk from one selected entry down to file rewrites.
#pragma once

#include "../engine/engine.h"
#include "../host/plugin.h"

// The text after the last backslash of name, or all of name.
const char *LastComponent(const char *name);

// True for the "." and ".." entries, which name no file of their own.
bool IsDotEntry(const char *name);

// Copies the text of a field of size bytes into out (as large), cut short
// if the field holds no terminator; false then.
bool CopyName(const char *field, size_t size, char *out);

// The path of name inside dir, into a MAX_PATH buffer. False, with nothing
// usable in out, when the result would not fit.
bool JoinPath(const char *dir, const char *name, char *out);

// Converts the file at path with the current ConvertMode, keeping its time
// stamps, attributes and access, through a cvt temporary in the working
// directory (or, when that lies on another volume, in the file's own). With
// expected, only if the file is the one the host listed.
Outcome RewriteFile(const char *path, const FileIdentity *expected = nullptr);

// Converts the file that an entry of dir (from the panel or a listing)
// names, or, with ProcessSubDir on and a folder, every file below it.
// Whatever is not converted goes into the run's report.
void ProcessEntry(const char *dir, const FAR_FIND_DATA &entry);

// The entries a run could not convert: how many, and the first few with
// their reasons, for the warning at the end of the run.
enum : int {
    ReportedEntries = 10,
};

struct UnconvertedEntry {
    char path[MAX_PATH];
    Outcome why;
};

struct RunReport {
    int count;
    UnconvertedEntry first[ReportedEntries];
};

extern RunReport Unconverted;

void ClearReport();
// Notes path (cut at MAX_PATH - 1 characters) unless outcome is Converted
// or LeftAlone.
void Report(const char *path, Outcome outcome);
