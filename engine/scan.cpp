#include "scan.h"
#include "engine.h"

#include <cstdint>
#include <cstring>

static const unsigned char Cr = 0x0D;
static const unsigned char Lf = 0x0A;

// Runs of ordinary bytes are copied a whole chunk at a time: each chunk is
// stored to the output before it is searched, and the output then advances
// only up to the first line break in it. Bytes stored past that point are
// overwritten by what follows, or lie in the output's slack.
//
// One source serves both widths of x86: the vector paths are compiled for
// their instruction sets alone and chosen at run time, so the 32-bit module
// uses SSE2, AVX2 and AVX-512 where the processor has them, and runs on any
// i686.
#if defined(__i386__) || defined(__x86_64__)
#define WITH_SSE2 __attribute__((target("sse2")))
#define WITH_AVX2 __attribute__((target("avx2,bmi")))
#define WITH_AVX512 __attribute__((target("popcnt,bmi,avx512f,avx512bw,avx512vbmi2")))
#include <immintrin.h>
#define HAVE_X86_VECTORS 1
#else
#define HAVE_X86_VECTORS 0
#endif

// Where a scan stands in its input and its output. The chunk loops take it
// and give it back by value: held behind a reference it could be any byte
// the loop stores, so the loop would load it back from memory after every
// store, which made the vector paths 5 to 30 % slower.
struct Cursor {
    const unsigned char *at;
    unsigned char *put;
};

// Word at a time with plain integer instructions, for any processor. A zero
// byte of word ^ pattern marks a hit; the lowest flagged byte is always a
// true one (borrows only run upwards).
typedef uintptr_t Word;
static const Word Ones = (Word)-1 / 0xFF;
static const Word Highs = Ones * 0x80;

static Word ZeroBytes(Word w)
{
    return (w - Ones) & ~w & Highs;
}

static Cursor CopyWords(Cursor c, const unsigned char *end)
{
    while ((size_t)(end - c.at) >= sizeof(Word)) {
        Word w;
        memcpy(&w, c.at, sizeof w);
        memcpy(c.put, &w, sizeof w);
        Word hits = ZeroBytes(w ^ (Ones * Cr)) | ZeroBytes(w ^ (Ones * Lf));
        if (hits != 0) {
            int ordinary = __builtin_ctzll(hits) / 8;
            return Cursor{c.at + ordinary, c.put + ordinary};
        }
        c.at += sizeof(Word);
        c.put += sizeof(Word);
    }
    return c;
}

static Cursor NoSimpleChunks(Cursor c, const unsigned char *, DWORD)
{
    return c;
}

#if HAVE_X86_VECTORS
WITH_SSE2 static unsigned Matches(__m128i chunk, unsigned char byte)
{
    return (unsigned)_mm_movemask_epi8(_mm_cmpeq_epi8(chunk, _mm_set1_epi8((char)byte)));
}

WITH_SSE2 static Cursor CopySse2(Cursor c, const unsigned char *end)
{
    while (end - c.at >= 16) {
        __m128i chunk = _mm_loadu_si128((const __m128i *)c.at);
        _mm_storeu_si128((__m128i *)c.put, chunk);
        unsigned mask = Matches(chunk, Cr) | Matches(chunk, Lf);
        if (mask != 0) {
            int ordinary = __builtin_ctz(mask);
            return Cursor{c.at + ordinary, c.put + ordinary};
        }
        c.at += 16;
        c.put += 16;
    }
    return c;
}

// Ordinary text has at most one line break in most 32-byte chunks. Such a
// chunk is converted without a branch on where its break lies: the chunk
// is stored, then the rest of the input from the break on is stored again
// one byte earlier (a CR dropped) or later (a CR inserted). A chunk is
// simple when its last byte is no line break (so nothing in it pairs with
// what follows) and its only line breaks are one CR LF pair, or lone LFs
// (to LF) or one lone LF (to CR LF); anything else is left to the byte-wise
// path.
// The tests are written with & and | so that they compile to no branch
// but the one that leaves. The second store reads up to 33 bytes past the
// chunk, into the input's slack at the end of a block; what it brings from
// there lies past the chunk's output and is overwritten or never reported.

enum : long {
    SimpleChunk = 32,
};

WITH_AVX2 static unsigned Matches32(__m256i chunk, unsigned char byte)
{
    return (unsigned)_mm256_movemask_epi8(_mm256_cmpeq_epi8(chunk, _mm256_set1_epi8((char)byte)));
}

WITH_AVX2 static unsigned FirstOr32(unsigned mask)
{
    return (unsigned)__builtin_ctzll(mask | (1ull << 32));
}

WITH_AVX2 static Cursor SimpleChunksToLf(Cursor c, const unsigned char *end)
{
    while (end - c.at >= SimpleChunk) {
        __m256i chunk = _mm256_loadu_si256((const __m256i *)c.at);
        unsigned cr = Matches32(chunk, Cr), lf = Matches32(chunk, Lf);
        // Lone LFs and one CR LF pair. Dropping that CR is right even after
        // an LF: LF CR LF is the pair LF CR and a lone LF, LF LF either way.
        bool simple = ((cr | lf) < 0x80000000u) & ((cr & (cr - 1)) == 0) &
                      ((cr == 0) | ((lf & (cr << 1)) != 0));
        if (!simple)
            break;
        unsigned k = FirstOr32(cr);
        _mm256_storeu_si256((__m256i *)c.put, chunk);
        _mm256_storeu_si256((__m256i *)(c.put + k), _mm256_loadu_si256((const __m256i *)(c.at + k + 1)));
        c.at += 32;
        c.put += 32 - (cr != 0);
    }
    return c;
}

WITH_AVX2 static Cursor SimpleChunksToCrLf(Cursor c, const unsigned char *end)
{
    while (end - c.at >= SimpleChunk) {
        __m256i chunk = _mm256_loadu_si256((const __m256i *)c.at);
        unsigned cr = Matches32(chunk, Cr), lf = Matches32(chunk, Lf);
        // One lone LF, or one CR LF pair, which stays as it is.
        bool simple = ((cr | lf) < 0x80000000u) & ((lf & (lf - 1)) == 0) & ((cr == 0) | (lf == cr << 1));
        if (!simple)
            break;
        unsigned k = FirstOr32(lf);
        unsigned insert = (cr == 0) & (lf != 0);
        _mm256_storeu_si256((__m256i *)c.put, chunk);
        // Without an insert the second store puts the LF back over this CR.
        c.put[k] = Cr;
        _mm256_storeu_si256((__m256i *)(c.put + k + insert), _mm256_loadu_si256((const __m256i *)(c.at + k)));
        c.at += 32;
        c.put += 32 + insert;
    }
    return c;
}

WITH_AVX2 static Cursor SimpleChunksAvx2(Cursor c, const unsigned char *end, DWORD mode)
{
    return mode == ModeToLf ? SimpleChunksToLf(c, end) : SimpleChunksToCrLf(c, end);
}

// With AVX-512 a chunk may hold any number of line breaks: the bytes to
// keep are packed together (compress) or spread apart with CRs put between
// them (compress of every byte widened to a CR and itself), whatever their
// number. A chunk is simple when every CR in it begins a CR LF pair inside
// it and its last byte begins no pair with the byte after it: the chunks
// after it then start after a whole line break, and one chunk's outcome
// never waits for the next. In a simple chunk LF CR LF is two line breaks
// whether read as LF CR and LF or as LF and CR LF, so each CR is one line
// break with its LF, and each other LF one alone.
// A chunk with at most two CRs to put in, as in most text, is done as
// the AVX2 chunks are, by stores that overlap: on lines of 40 to 80
// bytes that is a quarter faster than the two compresses. Only in 64-bit
// code: with the breaks found half a chunk at a time, as 32-bit code must,
// it measured slower than the compresses.

struct WideChunk {
    uint64_t cr, lf;
    bool simple;
};

// at[64] must be a byte of the input.
WITH_AVX512 static WideChunk ReadWideChunk(const unsigned char *at, __m512i bytes)
{
    uint64_t cr = _mm512_cmpeq_epi8_mask(bytes, _mm512_set1_epi8((char)Cr));
    uint64_t lf = _mm512_cmpeq_epi8_mask(bytes, _mm512_set1_epi8((char)Lf));
    uint64_t wrong = (cr & ~(lf >> 1)) | ((lf >> 63) & (at[64] == Cr));
    return WideChunk{cr, lf, wrong == 0};
}

WITH_AVX512 static unsigned Count(uint64_t bits)
{
    return _mm_popcnt_u32((unsigned)bits) + _mm_popcnt_u32((unsigned)(bits >> 32));
}

// 32 bytes with a CR put before each lone LF: every byte is widened to a
// CR and itself, and the CRs kept are the ones before lone LFs.
WITH_AVX512 static unsigned char *PutCrsBefore(__m256i bytes, uint32_t lone, unsigned char *put)
{
    __m512i pairs = _mm512_or_si512(_mm512_slli_epi16(_mm512_cvtepu8_epi16(bytes), 8), _mm512_set1_epi16(Cr));
    __mmask64 keep = _mm512_movepi8_mask(_mm512_movm_epi16(lone)) | 0xAAAAAAAAAAAAAAAAull;
    _mm512_storeu_si512((void *)put, _mm512_maskz_compress_epi8(keep, pairs));
    return put + 32 + _mm_popcnt_u32(lone);
}

#if defined(__x86_64__)
// The chunk, then for each lone LF the input from it on, stored again
// after the CRs put so far, with its CR before it. A missing LF is taken at
// 64, past the chunk: those stores only touch output past the chunk's own.
// Reads up to at[127] and writes up to put[129].
WITH_AVX512 static unsigned char *PutTwoCrs(const unsigned char *at, uint64_t lone, unsigned char *put)
{
    unsigned first = (unsigned)_tzcnt_u64(lone), second = (unsigned)_tzcnt_u64(lone & (lone - 1));
    _mm512_storeu_si512((void *)put, _mm512_loadu_si512((const void *)at));
    put[first] = Cr;
    _mm512_storeu_si512((void *)(put + first + 1), _mm512_loadu_si512((const void *)(at + first)));
    put[second + 1] = Cr;
    _mm512_storeu_si512((void *)(put + second + 2), _mm512_loadu_si512((const void *)(at + second)));
    return put + 64 + Count(lone);
}
#endif

// A chunk's lone LFs given their CRs, whichever way is the faster.
WITH_AVX512 static unsigned char *PutCrs(const unsigned char *at, uint64_t lone, unsigned char *put)
{
#if defined(__x86_64__)
    if (Count(lone) <= 2)
        return PutTwoCrs(at, lone, put);
#endif
    put = PutCrsBefore(_mm256_loadu_si256((const __m256i *)at), (uint32_t)lone, put);
    return PutCrsBefore(_mm256_loadu_si256((const __m256i *)(at + 32)), (uint32_t)(lone >> 32), put);
}

// One loop for each direction, so that neither is laid out around the
// other's.
template <DWORD Mode> WITH_AVX512 static Cursor WideChunks(Cursor c, const unsigned char *end)
{
    while (end - c.at > 64) {
        __m512i bytes = _mm512_loadu_si512((const void *)c.at);
        WideChunk chunk = ReadWideChunk(c.at, bytes);
        if (!chunk.simple)
            break;
        if (Mode == ModeToLf) {
            _mm512_storeu_si512((void *)c.put, _mm512_maskz_compress_epi8(~chunk.cr, bytes));
            c.put += 64 - Count(chunk.cr);
        } else {
            c.put = PutCrs(c.at, chunk.lf & ~(chunk.cr << 1), c.put);
        }
        c.at += 64;
    }
    return c;
}

WITH_AVX512 static Cursor WideChunksAvx512(Cursor c, const unsigned char *end, DWORD mode)
{
    return mode == ModeToLf ? WideChunks<ModeToLf>(c, end) : WideChunks<ModeToCrLf>(c, end);
}
#endif

typedef Cursor (*CopyChunks)(Cursor, const unsigned char *);
typedef Cursor (*SimpleChunks)(Cursor, const unsigned char *, DWORD);

template <CopyChunks Copy, SimpleChunks Simple>
static ScanResult Scan(const unsigned char *in, DWORD filled, bool more, DWORD mode, unsigned char *out)
{
    const unsigned char *end = in + filled;
    Cursor c = {in, out};
    for (;;) {
        c = Simple(c, end, mode);
        // Ordinary bytes up to the next CR or LF, or to end.
        c = Copy(c, end);
        while (c.at < end && *c.at != Cr && *c.at != Lf)
            *c.put++ = *c.at++;
        if (c.at == end || (c.at + 1 == end && more))
            break;
        // CR ^ LF turns either line-break byte into the other one.
        if (c.at + 1 < end && c.at[1] == (c.at[0] ^ (Cr ^ Lf)))
            c.at++;
        if (mode != ModeToLf)
            *c.put++ = Cr;
        *c.put++ = Lf;
        c.at++;
    }
    return ScanResult{(DWORD)(c.at - in), (DWORD)(c.put - out)};
}

#if HAVE_X86_VECTORS
WITH_SSE2 static bool HoldsNulSse2(const unsigned char *at, DWORD length)
{
    const __m128i zero = _mm_setzero_si128();
    DWORD i = 0;
    for (; i + 64 <= length; i += 64) {
        __m128i a = _mm_cmpeq_epi8(_mm_loadu_si128((const __m128i *)(at + i)), zero);
        __m128i b = _mm_cmpeq_epi8(_mm_loadu_si128((const __m128i *)(at + i + 16)), zero);
        __m128i c = _mm_cmpeq_epi8(_mm_loadu_si128((const __m128i *)(at + i + 32)), zero);
        __m128i d = _mm_cmpeq_epi8(_mm_loadu_si128((const __m128i *)(at + i + 48)), zero);
        if (_mm_movemask_epi8(_mm_or_si128(_mm_or_si128(a, b), _mm_or_si128(c, d))))
            return true;
    }
    for (; i < length; i++)
        if (at[i] == 0)
            return true;
    return false;
}
#endif

bool HoldsNul(const unsigned char *at, DWORD length)
{
#if HAVE_X86_VECTORS
    static const bool sse2 = WidestScanPath() >= ScanSse2;
    if (sse2)
        return HoldsNulSse2(at, length);
#endif
    DWORD i = 0;
    for (; i + sizeof(Word) <= length; i += sizeof(Word)) {
        Word w;
        memcpy(&w, at + i, sizeof w);
        if (ZeroBytes(w))
            return true;
    }
    for (; i < length; i++)
        if (at[i] == 0)
            return true;
    return false;
}

ScanPath WidestScanPath()
{
#if HAVE_X86_VECTORS
    __builtin_cpu_init();
    // Exactly the instruction sets each path is compiled for.
    if (__builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw") &&
        __builtin_cpu_supports("avx512vbmi2") && __builtin_cpu_supports("popcnt") && __builtin_cpu_supports("bmi"))
        return ScanAvx512;
    if (__builtin_cpu_supports("avx2") && __builtin_cpu_supports("bmi"))
        return ScanAvx2;
    if (__builtin_cpu_supports("sse2"))
        return ScanSse2;
#endif
    return ScanWords;
}

// In 32-bit code, with eight vector registers, the wider paths lose on the
// way to CR LF, whose chunks keep the most live: over four runs AVX2 and
// AVX-512 scanned LF to CR LF at 3.3 to 3.4 and 2.4 to 2.7 GB/s where SSE2
// did 3.6 to 4.5 (in a block in the cache 3.1 to 3.5 and 2.4 to 2.8 against
// 6.0 to 8.7). To LF, AVX2 stays: from LF it is twice as fast as SSE2
// (8.7 to 10.3 against 3.5 to 4.9), from CR LF about even.
ScanPath FastestScanPath(DWORD mode)
{
    ScanPath widest = WidestScanPath(), best32 = mode == ModeToLf ? ScanAvx2 : ScanSse2;
    return sizeof(void *) == 4 && widest > best32 ? best32 : widest;
}

ScanPath ScanPathInUse[2] = {FastestScanPath(ModeToLf), FastestScanPath(ModeToCrLf)};

void UseScanPath(ScanPath path)
{
    ScanPathInUse[0] = ScanPathInUse[1] = path;
}

void UseFastestScanPaths()
{
    ScanPathInUse[0] = FastestScanPath(ModeToLf);
    ScanPathInUse[1] = FastestScanPath(ModeToCrLf);
}

ScanResult ScanBlock(const unsigned char *in, DWORD filled, bool more, DWORD mode, unsigned char *out)
{
    switch (ScanPathInUse[mode != ModeToLf]) {
#if HAVE_X86_VECTORS
    case ScanAvx512:
        return Scan<CopySse2, WideChunksAvx512>(in, filled, more, mode, out);
    case ScanAvx2:
        return Scan<CopySse2, SimpleChunksAvx2>(in, filled, more, mode, out);
    case ScanSse2:
        return Scan<CopySse2, NoSimpleChunks>(in, filled, more, mode, out);
#endif
    default:
        return Scan<CopyWords, NoSimpleChunks>(in, filled, more, mode, out);
    }
}
