// Paths and the walk from one selected entry down to file rewrites.
#pragma once

#include "../platform/platform.h"

// The text after the last backslash of name, or all of name.
const char *LastComponent(const char *name);

// True for the "." and ".." entries, which name no file of their own.
bool IsDotEntry(const char *name);

// The path of name inside dir, into a MAX_PATH buffer. False, with nothing
// usable in out, when the result would not fit.
bool JoinPath(const char *dir, const char *name, char *out);

// Rewrites the file at path, or, with ProcessSubDir on and a directory,
// every file below it.
void ProcessEntry(const char *path, DWORD attributes);
