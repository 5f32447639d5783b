// The converter. One read per block; the only data ever moved inside the
// input area is a line-break byte held back at the end of a block so that a
// pair split across two reads is seen as one line break, and inside the
// output area what a write leaves for the next.
//
// With a grain larger than a byte each write but the last is one grain, so
// with a grain of a block the target is written as a plain copy writes it:
// a block at a time, at multiples of the block. A file cache may keep such
// writes in large pages, as Linux does, and take them for less than writes
// that straddle its pages (under Wine a copy written 500 KiB at a time
// costs 9 % more than one written 512 KiB at a time). So that little
// waits from one write to the next, a block is scanned in pieces that just
// fill the grain.
#include "engine.h"

#include <cstring>

// The input to scan next: what fills the grain even if each byte became
// two, or at least the grain's smallest piece. A grain of one byte writes
// all that a block gives, so the block is one piece.
static DWORD NextPiece(DWORD left, DWORD waiting, DWORD grain)
{
    if (grain == 1)
        return left;
    DWORD fill = (grain - waiting) / 2;
    if (fill < SmallestPiece(grain))
        fill = SmallestPiece(grain);
    return fill < left ? fill : left;
}

// Writes the whole grains of the ready output, or, when nothing follows, all
// of it, and moves the rest to the start of out.
static bool WriteGrains(HANDLE target, const ConvertAreas &areas, DWORD ready, bool more, DWORD &waiting)
{
    DWORD whole = more ? ready - ready % areas.grain : ready, put = 0;
    waiting = ready - whole;
    if (whole == 0 && more)
        return true;
    if (!WriteFile(target, areas.out, whole, &put, nullptr) || put != whole)
        return false;
    memmove(areas.out, areas.out + whole, waiting);
    return true;
}

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
        // Every piece of a block that was read may be followed by more
        // data; at the data's end all that is left is the one byte held
        // back, at most, and it is one piece.
        DWORD done = 0;
        bool last;
        do {
            DWORD piece = NextPiece(filled - done, waiting, areas.grain);
            last = done + piece == filled;
            ScanResult scan = ScanBlock(areas.in + done, piece, more, mode, areas.out + waiting);
            done += scan.consumed;
            if (!WriteGrains(target, areas, waiting + scan.produced, more, waiting))
                return Unwritable;
        } while (!last);
        memmove(areas.in, areas.in + done, filled - done);
        filled -= done;
    }
    return Converted;
}

Outcome ConvertLineBreaks(HANDLE source, HANDLE target, DWORD mode)
{
    return ConvertInBlocks(source, target, mode, AreasFor<BlockSize>());
}
