// The four exports today's host calls, under their plain names.
#pragma once

#include "plugin.h"

extern "C" {
__declspec(dllexport) void WINAPI GetGlobalInfoW(GlobalInfo *info);
__declspec(dllexport) void WINAPI SetStartupInfoW(const PluginStartupInfo *info);
__declspec(dllexport) void WINAPI GetPluginInfoW(PluginInfo *info);
__declspec(dllexport) HANDLE WINAPI OpenW(const OpenInfo *info);
}
