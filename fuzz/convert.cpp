// The converter fed arbitrary bytes in reads of arbitrary sizes, against
// the byte-at-a-time model, in writes of a grain each but the last. Input:
// the mode, the scan's path and the grain, eight read sizes, the data.
#include "engine/engine.h"
#include "engine/scan.h"
#include "model.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

static const uint8_t *Source;
static size_t SourceSize, SourceAt, ReadsDone;
static uint8_t ReadSizes[8];
static std::string Target;
static std::vector<size_t> Writes;

// A short read that is not the end is legal; only 0 bytes end the data.
extern "C" BOOL __wrap_ReadFile(HANDLE, void *buffer, DWORD size, DWORD *got, void *)
{
    size_t pick = ReadSizes[ReadsDone++ % 8];
    size_t n = pick == 255 ? size : 1 + pick * 8;
    n = std::min({n, (size_t)size, SourceSize - SourceAt});
    memcpy(buffer, Source + SourceAt, n);
    SourceAt += n;
    *got = (DWORD)n;
    return 1;
}

extern "C" BOOL __wrap_WriteFile(HANDLE, const void *buffer, DWORD size, DWORD *put, void *)
{
    Target.append((const char *)buffer, size);
    Writes.push_back(size);
    *put = size;
    return 1;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 9)
        return 0;
    DWORD mode = data[0] & 1 ? data[0] : 0;
    static const ScanPath Fastest = WidestScanPath();
    UseScanPath((ScanPath)((data[0] >> 1) % (Fastest + 1)));
    static const DWORD Grains[4] = {1, 7, BlockSize, 4096};
    const DWORD grain = Grains[(data[0] >> 3) & 3];
    static unsigned char in[BlockSize + 1 + ScanSlack], out[OutRoom(BlockSize, 4096)];
    memcpy(ReadSizes, data + 1, 8);
    Source = data + 9;
    SourceSize = size - 9;
    SourceAt = ReadsDone = 0;
    Target.clear();
    Writes.clear();
    if (ConvertInBlocks((HANDLE)1, (HANDLE)2, {mode, false, true}, {in, out, BlockSize, grain}) != Converted)
        abort();
    // A grain of one byte: a write per block read. A larger one: each
    // write a grain, as soon as one is ready; at the end, what waits and
    // the byte held back, turned to two at most.
    if (grain == 1 && Writes.size() > ReadsDone)
        abort();
    for (size_t i = 0; grain > 1 && i < Writes.size(); i++)
        if (i + 1 < Writes.size() ? Writes[i] != grain : Writes[i] >= grain + 2)
            abort();
    if (Target != ModelConvert(std::string((const char *)Source, SourceSize), mode))
        abort();
    return 0;
}
