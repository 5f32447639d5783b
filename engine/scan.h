// The scan of one block: line breaks rewritten, every other byte copied.
#pragma once

#include "../platform/platform.h"

struct ScanResult {
    DWORD consumed; // input bytes done; the rest (at most one) is held back
    DWORD produced; // output bytes written
};

enum : DWORD {
    // Bytes the scan may read past its input and write past its output;
    // nothing read there reaches the output it reports.
    ScanSlack = 64,
};

// Scans in[0, filled) into out. Both areas carry ScanSlack bytes more: in
// has filled + ScanSlack readable bytes, out room for 2 * filled +
// ScanSlack.
// While more data may follow, a CR or LF that is the last byte is held back
// unless it completes a pair.
ScanResult ScanBlock(const unsigned char *in, DWORD filled, bool more, DWORD mode,
                     unsigned char *out);

// The scan's paths, slowest first: words of plain integer instructions,
// SSE2 chunk copies, AVX2 chunks with one line break done without a branch,
// and AVX-512 chunks with any number of them. Tests may pick any the
// processor has.
enum ScanPath : int {
    ScanWords,
    ScanSse2,
    ScanAvx2,
    ScanAvx512,
};

// Whether the bytes hold a NUL, at about the speed of memory (the C
// library's search for a byte is several times slower under Windows).
bool HoldsNul(const unsigned char *at, DWORD length);

// The widest path the processor has.
ScanPath WidestScanPath();
// The path this build converts with to LF (mode 0) or to CR LF.
ScanPath FastestScanPath(DWORD mode);
// The paths in use, to LF and to CR LF.
extern ScanPath ScanPathInUse[2];
// Has both directions take path, or each its fastest again.
void UseScanPath(ScanPath path);
void UseFastestScanPaths();
