#include "loader.h"

#include <filesystem>

#ifdef _WIN32
static void *OpenLibrary(const std::string &path)
{
    return (void *)LoadLibraryA(path.c_str());
}
static void *Symbol(void *library, const char *name)
{
    return (void *)GetProcAddress((HMODULE)library, name);
}
static void CloseLibrary(void *library)
{
    FreeLibrary((HMODULE)library);
}
const char ModuleFileName[] = "Quillmere.dll";
#else
#include <dlfcn.h>
static void *OpenLibrary(const std::string &path)
{
    return dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
}
static void *Symbol(void *library, const char *name)
{
    return dlsym(library, name);
}
static void CloseLibrary(void *library)
{
    dlclose(library);
}
const char ModuleFileName[] = "Quillmere.so";
#endif

bool LoadModule(const std::string &path, LoadedModule &module, std::string &error)
{
    module = LoadedModule();
    if (!std::filesystem::is_regular_file(path)) {
        error = "no module at " + path;
        return false;
    }
    module.library = OpenLibrary(path);
    if (!module.library) {
        error = "cannot load the module " + path;
        return false;
    }
    module.SetStartupInfo = (SetStartupInfoExport)Symbol(module.library, "SetStartupInfo");
    module.GetPluginInfo = (GetPluginInfoExport)Symbol(module.library, "GetPluginInfo");
    module.OpenPlugin = (OpenPluginExport)Symbol(module.library, "OpenPlugin");
    if (!module.SetStartupInfo || !module.GetPluginInfo || !module.OpenPlugin) {
        error = "the module " + path + " lacks SetStartupInfo, GetPluginInfo or OpenPlugin";
        UnloadModule(module);
        return false;
    }
    return true;
}

void UnloadModule(LoadedModule &module)
{
    if (module.library)
        CloseLibrary(module.library);
    module = LoadedModule();
}
