// Paths and the walk from one selected entry down to file rewrites, with
// the single-byte module's MAX_PATH buffers.
#pragma once

#include "../engine/engine.h"
#include "../run/report.h"
#include "plugin.h"

// The path of name inside dir, into a MAX_PATH buffer. False, with nothing
// usable in out, when the result would not fit.
bool JoinPath(const char *dir, const char *name, char *out);

// Converts the file at path with the current ConvertMode, keeping its time
// stamps, attributes and access, through a cvt temporary in the working
// directory (or, when that lies on another volume, in the file's own). With
// expected, only if the file is the one the host listed.
Outcome RewriteFile(const char *path, const FileIdentity *expected = nullptr);

// Whether the name at the end of path may lead to another file than the
// one the host meant: another entry of the folder turns into it in the
// host's code page.
bool NameInDoubt(const char *path);
// Forgets the folders listed for that: a new run finds them changed.
void ForgetListedFolders();
// Forgets all a run learnt of folders (those listed, the one on another
// volume than the working directory), for the next run to learn anew.
void ForgetFolderFacts();

// Converts the file that an entry of dir (from the panel or a listing)
// names, or, with ProcessSubDir on and a folder, every file below it.
// Whatever is not converted goes into Unconverted.
void ProcessEntry(const char *dir, const FAR_FIND_DATA &entry);

extern RunReport<FixedPath> Unconverted;
