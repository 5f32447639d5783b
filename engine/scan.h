// The scan of one block: line breaks rewritten, every other byte copied.
#pragma once

#include "../platform/platform.h"

struct ScanResult {
    DWORD consumed; // input bytes done; the rest (at most one) is held back
    DWORD produced; // output bytes written
};

enum : DWORD {
    ScanSlack = 16, // room the scan may write past its output, never read back
};

// Scans in[0, filled) into out, which must have room for 2 * filled +
// ScanSlack bytes.
// While more data may follow, a CR or LF that is the last byte is held back
// unless it completes a pair.
ScanResult ScanBlock(const unsigned char *in, DWORD filled, bool more, DWORD mode,
                     unsigned char *out);
