// Conversion of one file's line breaks, in place.
#pragma once

#include "../platform/platform.h"
#include "scan.h"

#include <cstdint>

enum : DWORD {
    BlockSize = 2048,
};

// The two target forms; every mode but ModeToLf converts to CR LF.
enum ConvertModes : DWORD {
    ModeToLf = 0,
    ModeToCrLf = 1,
};

// What became of one entry of the selection. Every outcome after
// LeftAlone is a reason the user is told of.
enum Outcome : int {
    Converted,
    Unchanged,   // already in the form asked for: nothing written, done
    LeftAlone,   // not a file to convert (a folder with recursion off)
    ReadOnly,
    ALink,       // a symbolic link or other reparse point
    HardLinked,  // the file has other names that would keep the old bytes
    InUse,       // another program holds it open
    Unreadable,
    Unwritable,  // the converted copy could not be written: disk full or refused
    NotReplaced, // the copy could not take the file's place, or its access
    NameUnusable,
    PathTooLong,
    NotListed,   // a folder whose listing failed
    BinaryFile,  // a NUL byte, and no UTF-16 text with its mark
    ChangedMeanwhile, // another program changed it while it was converted
    Stopped,     // the user stopped the run inside it; it is as it was
};

// Whether an outcome leaves the file as the user asked for it.
inline bool Done(Outcome outcome)
{
    return outcome == Converted || outcome == Unchanged;
}

// What the host's listing said of a file: a name can reach the module
// changed, and lead to another file than the one listed.
struct FileIdentity {
    DWORD sizeHigh, sizeLow;
    FILETIME creation, lastWrite;
};

// Where the converter works: block bytes are read at a time into in, whose
// room is block + 1 + ScanSlack; out has room for OutRoom(block, grain).
// With a grain of one byte a block's output is written at once; with a
// larger one every write but the last is one grain. What is not yet
// written waits at the start of out.
struct ConvertAreas {
    unsigned char *in, *out;
    DWORD block, grain;
};

// The least input a block is scanned in while it fills a grain: two bytes
// always move the scan on, as it holds back at most one.
constexpr DWORD SmallestPiece(DWORD grain)
{
    return grain / 128 > 2 ? grain / 128 : 2;
}

// What waits (less than a grain) and the room the scan asks for one piece,
// twice its input and the slack: a piece that fills the grain ends within
// it, a smallest one past it. A grain of one byte takes a whole block.
constexpr DWORD OutRoom(DWORD block, DWORD grain)
{
    return (grain == 1 ? 2 * (block + 1) : grain + 2 * SmallestPiece(grain)) + ScanSlack;
}

// The areas for blocks of Block bytes written in grains of Grain bytes,
// one pair for the whole process.
template <DWORD Block, DWORD Grain = 1> ConvertAreas AreasFor()
{
    alignas(64) static unsigned char in[Block + 1 + ScanSlack];
    alignas(64) static unsigned char out[OutRoom(Block, Grain)];
    return {in, out, Block, Grain};
}

// What a conversion takes as text. With units, a file that starts with the
// UTF-16 byte-order mark is converted in its 16-bit units, and one that
// starts with the UTF-32 mark is binary. Unless binaryToo, a binary file
// (one holding a NUL byte, UTF-16 text aside) is left as it is.
// goOn, where there is one, hears after each block how many bytes of the
// file were read so far; false stops the conversion (Stopped).
struct ConvertRules {
    DWORD mode;
    bool units;
    bool binaryToo;
    bool (*goOn)(uint64_t bytesRead) = nullptr;
};

// Streams source into target, turning every CR LF, LF CR, lone CR and lone
// LF into LF (mode 0) or CR LF (any other mode). Converted; or Unreadable
// or Unwritable when a read or a write failed, BinaryFile at the first
// sign of one: the target is then not a faithful copy.
Outcome ConvertInBlocks(HANDLE source, HANDLE target, const ConvertRules &rules, const ConvertAreas &areas);
// Reads source up to the first byte a conversion would change: Converted
// then, with source back at its start; Unchanged when there is none;
// BinaryFile or Unreadable as the conversion would find.
Outcome FindChange(HANDLE source, const ConvertRules &rules, const ConvertAreas &areas);
// The scan of UTF-16 text, with ScanBlock's contract; a unit's bytes in
// the order bigEndian says.
ScanResult ScanUnits(const unsigned char *in, DWORD filled, bool more, DWORD mode, bool bigEndian,
                     unsigned char *out);
// The same in blocks of BlockSize bytes.
Outcome ConvertLineBreaks(HANDLE source, HANDLE target, DWORD mode);

bool SameTime(const FILETIME &a, const FILETIME &b);

// The outcome a failed open of a file reports, from its platform error.
Outcome OutcomeOfError(DWORD error);
