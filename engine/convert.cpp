// The converter. One read and one write per block of up to BlockSize bytes;
// the only data ever moved inside the input area is a line-break byte held
// back at the end of a block so that a pair split across two reads is seen
// as one line break.
#include "engine.h"
#include "scan.h"

#include <cstring>

static unsigned char InputArea[BlockSize + 1 + ScanSlack];
static unsigned char OutputArea[2 * (BlockSize + 1) + ScanSlack];

Outcome ConvertLineBreaks(HANDLE source, HANDLE target, DWORD mode)
{
    DWORD filled = 0;
    bool more = true;
    while (more) {
        DWORD got = 0;
        // A failed read would look like the end of the data; the caller
        // must not take the result for the whole file.
        if (!ReadFile(source, InputArea + filled, BlockSize, &got, nullptr))
            return Unreadable;
        more = got != 0;
        filled += got;
        ScanResult scan = ScanBlock(InputArea, filled, more, mode, OutputArea);
        DWORD put = 0;
        if (!WriteFile(target, OutputArea, scan.produced, &put, nullptr) || put != scan.produced)
            return Unwritable;
        memmove(InputArea, InputArea + scan.consumed, filled - scan.consumed);
        filled -= scan.consumed;
    }
    return Converted;
}
