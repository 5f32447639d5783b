// Loading the module and finding its three exports, as the host does.
#pragma once

#include "far1/plugin.h"

#include <string>

typedef void(WINAPI *SetStartupInfoExport)(const PluginStartupInfo *);
typedef void(WINAPI *GetPluginInfoExport)(PluginInfo *);
typedef HANDLE(WINAPI *OpenPluginExport)(int, INT_PTR);

struct LoadedModule {
    void *library = nullptr;
    SetStartupInfoExport SetStartupInfo = nullptr;
    GetPluginInfoExport GetPluginInfo = nullptr;
    OpenPluginExport OpenPlugin = nullptr;
};

// False, with the reason in error, when the module cannot be loaded or
// lacks an export; nothing stays loaded then.
bool LoadModule(const std::string &path, LoadedModule &module, std::string &error);
void UnloadModule(LoadedModule &module);

// The module's file name on this platform.
extern const char ModuleFileName[];
