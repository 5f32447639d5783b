#include "services.h"

#include <cstring>

PluginStartupInfo Far;
FarStandardFunctions FarFunctions;

// The host's records are its temporaries: copied, never pointed to.
template <class Record> static void KeepRecord(Record &kept, const Record *given)
{
    kept = Record();
    if (given)
        memcpy(&kept, given, given->StructSize < sizeof kept ? given->StructSize : sizeof kept);
}

void KeepStartupInfo(const PluginStartupInfo *info)
{
    KeepRecord(Far, info);
    KeepRecord(FarFunctions, Far.FSF);
    Far.FSF = &FarFunctions;
}

// Chosen once, never to change: the host keys the module, its menu line
// (and the user's hotkey for it) and its dialog by them.
const GUID PluginGuid = {0xb7923384, 0x5f53, 0x417f, {0x9d, 0x81, 0x2c, 0x58, 0x1f, 0x7a, 0x9e, 0xd4}};
const GUID MenuGuid = {0x8f7dfc78, 0xae47, 0x446f, {0xb8, 0x12, 0xd4, 0x8a, 0x35, 0xfd, 0x6d, 0x1b}};
const GUID DialogGuid = {0xc768ebeb, 0xedfb, 0x49ae, {0x95, 0x53, 0x22, 0x2c, 0x9d, 0x20, 0xf1, 0x26}};

const wchar_t *Msg(int n)
{
    return Far.GetMsg(&PluginGuid, n);
}

void ShowBox(const wchar_t *const *lines, size_t count)
{
    Far.Message(&PluginGuid, nullptr, 0, nullptr, lines, count, 0);
}
