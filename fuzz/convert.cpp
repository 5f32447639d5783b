// The converter fed arbitrary bytes in reads of arbitrary sizes, against
// the byte-at-a-time model. Input: the mode and the scan's path, eight read
// sizes, the data.
#include "engine/engine.h"
#include "engine/scan.h"
#include "model.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>

static const uint8_t *Source;
static size_t SourceSize, SourceAt, ReadsDone;
static uint8_t ReadSizes[8];
static std::string Target;

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
    *put = size;
    return 1;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 9)
        return 0;
    DWORD mode = data[0] & 1 ? data[0] : 0;
    static const ScanPath Fastest = FastestScanPath();
    ScanPathInUse = (ScanPath)((data[0] >> 1) % (Fastest + 1));
    memcpy(ReadSizes, data + 1, 8);
    Source = data + 9;
    SourceSize = size - 9;
    SourceAt = ReadsDone = 0;
    Target.clear();
    if (ConvertLineBreaks((HANDLE)1, (HANDLE)2, mode) != Converted)
        abort();
    if (Target != ModelConvert(std::string((const char *)Source, SourceSize), mode))
        abort();
    return 0;
}
