// Text in 16-bit units (UTF-16 with its byte-order mark): the same line
// breaks as in bytes, CR LF, LF CR, a lone CR or a lone LF, each a unit of
// its own, in the file's byte order. UTF-16 text is rare next to text in
// bytes, so this scan is plain.
#include "engine.h"

static unsigned UnitAt(const unsigned char *at, bool bigEndian)
{
    return bigEndian ? unsigned(at[0]) << 8 | at[1] : unsigned(at[1]) << 8 | at[0];
}

static unsigned char *PutUnit(unsigned char *put, unsigned unit, bool bigEndian)
{
    put[bigEndian ? 1 : 0] = (unsigned char)unit;
    put[bigEndian ? 0 : 1] = (unsigned char)(unit >> 8);
    return put + 2;
}

ScanResult ScanUnits(const unsigned char *in, DWORD filled, bool more, DWORD mode, bool bigEndian,
                     unsigned char *out)
{
    const unsigned Cr = 0x0D, Lf = 0x0A;
    DWORD at = 0;
    unsigned char *put = out;
    while (filled - at >= 2) {
        unsigned unit = UnitAt(in + at, bigEndian);
        if (unit != Cr && unit != Lf) {
            put[0] = in[at];
            put[1] = in[at + 1];
            put += 2;
            at += 2;
            continue;
        }
        // Whether the next unit pairs with this one is not known yet.
        if (filled - at < 4 && more)
            break;
        at += 2;
        if (filled - at >= 2 && UnitAt(in + at, bigEndian) == (unit ^ (Cr ^ Lf)))
            at += 2;
        if (mode != ModeToLf)
            put = PutUnit(put, Cr, bigEndian);
        put = PutUnit(put, Lf, bigEndian);
    }
    // An odd last byte is no unit; at the end of the data it is kept as it is.
    if (!more && filled - at == 1)
        *put++ = in[at++];
    return ScanResult{at, DWORD(put - out)};
}
