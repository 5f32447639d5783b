#include "scan.h"
#include "../settings/settings.h"

#include <cstdint>
#include <cstring>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

static const unsigned char Cr = 0x0D;
static const unsigned char Lf = 0x0A;

#ifdef __SSE2__
// SSE2 is part of every x86-64 processor, so this path needs no check.
static const unsigned char *FindInChunks(const unsigned char *from, const unsigned char *end)
{
    const __m128i crs = _mm_set1_epi8((char)Cr);
    const __m128i lfs = _mm_set1_epi8((char)Lf);
    for (; end - from >= 16; from += 16) {
        __m128i chunk = _mm_loadu_si128((const __m128i *)from);
        __m128i hits = _mm_or_si128(_mm_cmpeq_epi8(chunk, crs), _mm_cmpeq_epi8(chunk, lfs));
        int mask = _mm_movemask_epi8(hits);
        if (mask != 0)
            return from + __builtin_ctz((unsigned)mask);
    }
    return from;
}
#else
// Word at a time with plain integer instructions, so the 32-bit module runs
// on any i686 processor. A zero byte of word ^ pattern marks a hit; the
// lowest flagged byte is always a true one (borrows only run upwards).
typedef uintptr_t Word;
static const Word Ones = (Word)-1 / 0xFF;
static const Word Highs = Ones * 0x80;

static Word ZeroBytes(Word w)
{
    return (w - Ones) & ~w & Highs;
}

static const unsigned char *FindInChunks(const unsigned char *from, const unsigned char *end)
{
    for (; (size_t)(end - from) >= sizeof(Word); from += sizeof(Word)) {
        Word w;
        memcpy(&w, from, sizeof w);
        Word hits = ZeroBytes(w ^ (Ones * Cr)) | ZeroBytes(w ^ (Ones * Lf));
        if (hits != 0)
            return from + __builtin_ctzll(hits) / 8;
    }
    return from;
}
#endif

const unsigned char *FindLineBreak(const unsigned char *from, const unsigned char *end)
{
    from = FindInChunks(from, end);
    while (from < end && *from != Cr && *from != Lf)
        from++;
    return from;
}

ScanResult ScanBlock(const unsigned char *in, DWORD filled, bool more, DWORD mode,
                     unsigned char *out)
{
    const unsigned char *at = in;
    const unsigned char *end = in + filled;
    unsigned char *put = out;
    for (;;) {
        const unsigned char *found = FindLineBreak(at, end);
        memcpy(put, at, (size_t)(found - at));
        put += found - at;
        at = found;
        if (at == end || (at + 1 == end && more))
            break;
        // CR ^ LF turns either line-break byte into the other one.
        if (at + 1 < end && at[1] == (at[0] ^ (Cr ^ Lf)))
            at++;
        if (mode != ModeToLf)
            *put++ = Cr;
        *put++ = Lf;
        at++;
    }
    return ScanResult{(DWORD)(at - in), (DWORD)(put - out)};
}
