// Conversion of one file's line breaks, in place.
#pragma once

#include "../platform/platform.h"

enum : DWORD {
    BlockSize = 2048,
};

// Streams source into target, turning every CR LF, LF CR, lone CR and lone
// LF into LF (mode 0) or CR LF (any other mode). False when a read or a
// write failed, so the caller knows the target is not a faithful copy.
bool ConvertLineBreaks(HANDLE source, HANDLE target, DWORD mode);

// Converts the file at path with the current ConvertMode through a cvt
// temporary in the working directory, keeping its three time stamps.
void RewriteFile(const char *path);
