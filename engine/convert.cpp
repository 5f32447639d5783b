// The converter. One read per block; the only data ever moved inside the
// input area is what the scan holds back at the end of a block so that a
// pair split across two reads is seen as one line break (a byte, or up to
// three of UTF-16 text), and inside the output area what a write leaves for
// the next.
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

// How the file's text is held, from its first bytes.
enum TextForm {
    Bytes,
    UnitsLittleEndian,
    UnitsBigEndian,
    NoText,
};

static TextForm FormOf(const unsigned char *start, DWORD length, const ConvertRules &rules)
{
    if (!rules.units || length < 2)
        return Bytes;
    bool utf32 = length >= 4 && ((start[0] == 0xFF && start[1] == 0xFE && start[2] == 0 && start[3] == 0) ||
                                 (start[0] == 0 && start[1] == 0 && start[2] == 0xFE && start[3] == 0xFF));
    if (utf32)
        return rules.binaryToo ? Bytes : NoText;
    if (start[0] == 0xFF && start[1] == 0xFE)
        return UnitsLittleEndian;
    return start[0] == 0xFE && start[1] == 0xFF ? UnitsBigEndian : Bytes;
}

static ScanResult ScanIn(TextForm form, const unsigned char *in, DWORD filled, bool more, DWORD mode,
                         unsigned char *out)
{
    if (form == Bytes)
        return ScanBlock(in, filled, more, mode, out);
    return ScanUnits(in, filled, more, mode, form == UnitsBigEndian, out);
}

// What the converter does with the scanned output: writes it, or, with no
// target, only compares it with the input it came from.
static bool Deliver(HANDLE target, const ConvertAreas &areas, const unsigned char *from, ScanResult scan, bool more,
                    DWORD &waiting, bool &changed)
{
    if (target != INVALID_HANDLE_VALUE)
        return WriteGrains(target, areas, waiting + scan.produced, more, waiting);
    changed = scan.produced != scan.consumed || memcmp(areas.out, from, scan.produced) != 0;
    return true;
}

// The one loop of both: with no target it stops at the first change.
static Outcome Pass(HANDLE source, HANDLE target, const ConvertRules &rules, const ConvertAreas &areas)
{
    DWORD filled = 0, waiting = 0;
    uint64_t read = 0;
    bool more = true, first = true, changed = false;
    TextForm form = Bytes;
    while (more) {
        DWORD got = 0;
        // A failed read would look like the end of the data; the caller
        // must not take the result for the whole file.
        if (!ReadFile(source, areas.in + filled, areas.block, &got, nullptr))
            return Unreadable;
        if (first)
            form = FormOf(areas.in, got, rules);
        first = false;
        if (form == NoText || (form == Bytes && !rules.binaryToo && HoldsNul(areas.in + filled, got)))
            return BinaryFile;
        read += got;
        if (rules.goOn && !rules.goOn(read))
            return Stopped;
        more = got != 0;
        filled += got;
        // Every piece of a block that was read may be followed by more
        // data; at the data's end all that is left is what was held back,
        // and it is one piece.
        DWORD done = 0;
        bool last;
        do {
            DWORD piece = NextPiece(filled - done, waiting, areas.grain);
            last = done + piece == filled;
            ScanResult scan = ScanIn(form, areas.in + done, piece, more, rules.mode, areas.out + waiting);
            if (!Deliver(target, areas, areas.in + done, scan, more, waiting, changed))
                return Unwritable;
            if (changed)
                return SetFilePointer(source, 0, nullptr, FILE_BEGIN) == 0 ? Converted : Unreadable;
            done += scan.consumed;
        } while (!last);
        memmove(areas.in, areas.in + done, filled - done);
        filled -= done;
    }
    return target == INVALID_HANDLE_VALUE ? Unchanged : Converted;
}

Outcome ConvertInBlocks(HANDLE source, HANDLE target, const ConvertRules &rules, const ConvertAreas &areas)
{
    return Pass(source, target, rules, areas);
}

Outcome FindChange(HANDLE source, const ConvertRules &rules, const ConvertAreas &areas)
{
    return Pass(source, INVALID_HANDLE_VALUE, rules, areas);
}

Outcome ConvertLineBreaks(HANDLE source, HANDLE target, DWORD mode)
{
    return ConvertInBlocks(source, target, {mode, false, true}, AreasFor<BlockSize>());
}
