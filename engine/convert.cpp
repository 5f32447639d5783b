// The converter. One read and one write per block; the only data ever
// moved inside the input area is a line-break byte held back at the end of
// a block so that a pair split across two reads is seen as one line break,
// and inside the output area the part of a grain that waits for the next.
#include "engine.h"

#include <cstring>

Outcome ConvertInBlocks(HANDLE source, HANDLE target, DWORD mode, const ConvertAreas &areas)
{
    DWORD filled = 0, waiting = 0;
    bool more = true;
    while (more) {
        DWORD got = 0;
        // A failed read would look like the end of the data; the caller
        // must not take the result for the whole file.
        if (!ReadFile(source, areas.in + filled, areas.block, &got, nullptr))
            return Unreadable;
        more = got != 0;
        filled += got;
        ScanResult scan = ScanBlock(areas.in, filled, more, mode, areas.out + waiting);
        DWORD ready = waiting + scan.produced;
        DWORD whole = more ? ready - ready % areas.grain : ready, put = 0;
        if (!WriteFile(target, areas.out, whole, &put, nullptr) || put != whole)
            return Unwritable;
        memmove(areas.out, areas.out + whole, ready - whole);
        waiting = ready - whole;
        memmove(areas.in, areas.in + scan.consumed, filled - scan.consumed);
        filled -= scan.consumed;
    }
    return Converted;
}

Outcome ConvertLineBreaks(HANDLE source, HANDLE target, DWORD mode)
{
    return ConvertInBlocks(source, target, mode, AreasFor<BlockSize>());
}
