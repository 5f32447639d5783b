// The module's three exports, the host's only way in.
#include "command.h"
#include "services.h"
#include "settings.h"
#include "../run/messages.h"

#include <cstring>

#ifdef _WIN32
#define PLUGIN_EXPORT extern "C" __declspec(dllexport)
#else
#define PLUGIN_EXPORT extern "C" __attribute__((visibility("default")))
#endif

static const char *MenuStrings[1];

PLUGIN_EXPORT void WINAPI SetStartupInfo(const PluginStartupInfo *info)
{
    HostUnsupported = true;
    // A record smaller than the one kept would be copied from past its end.
    if (!info || info->StructSize < (int)sizeof HostInfo)
        return;
    memcpy(&HostInfo, info, sizeof HostInfo);
    HostUnsupported = false;
    FormSettingsKey(HostInfo.RootKey);
    LoadSettings();
}

PLUGIN_EXPORT void WINAPI GetPluginInfo(PluginInfo *info)
{
    if (HostUnsupported)
        return;
    info->StructSize = sizeof(PluginInfo);
    MenuStrings[0] = HostInfo.GetMsg(HostInfo.ModuleNumber, MsgMenuItem);
    info->PluginMenuStrings = MenuStrings;
    info->PluginMenuStringsNumber = 1;
}

PLUGIN_EXPORT HANDLE WINAPI OpenPlugin(int, INT_PTR)
{
    if (!HostUnsupported)
        RunConversionCommand();
    return INVALID_HANDLE_VALUE;
}
