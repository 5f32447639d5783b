// A fixture that loads the module from its installable folder and drives
// it through the stand-in host, as the real host would.
#pragma once

#include "quillhost/loader.h"
#include "quillhost/standin.h"
#include "support.h"

#include <gtest/gtest.h>

// The installable folder the build assembles; each test runs in a folder
// of its own, so the path is the build's, not relative.
#ifdef _WIN32
inline const std::string ModuleFolder = HostPath(QUILLMERE_DIST_DIR);
inline const std::string ModulePath = ModuleFolder + "Quillmere.dll";
#else
inline const std::string ModuleFolder = QUILLMERE_DIST_DIR;
inline const std::string ModulePath = ModuleFolder + "Quillmere.so";
#endif
inline const std::string CatalogPath = ModuleFolder + "QuillmereEng.lng";

inline const std::string CrLf = "a\r\nb\r\n";
inline const std::string Lf = "a\nb\n";

class Module : public ::testing::Test {
protected:
    LoadedModule module;
    std::string dir, rootKey, key;
    PluginStartupInfo info;

    void SetUp() override
    {
        std::string error;
        ASSERT_TRUE(LoadModule(ModulePath, module, error)) << error;
        ASSERT_TRUE(LoadMessages(CatalogPath));
        dir = Scratch();
        ResetHost(HostPath(dir));
        rootKey = FreshRootKey();
        key = rootKey + "\\Quillmere";
        info = StartupInfoFor(rootKey.c_str());
    }

    void TearDown() override { UnloadModule(module); }

    void Start() { module.SetStartupInfo(&info); }

    void Reload()
    {
        UnloadModule(module);
        std::string error;
        ASSERT_TRUE(LoadModule(ModulePath, module, error)) << error;
        Start();
    }

    // One pick of the menu entry; the host's calls of that run alone.
    std::vector<std::string> Run()
    {
        Host.calls.clear();
        EXPECT_EQ(module.OpenPlugin(OPEN_PLUGINSMENU, 0), INVALID_HANDLE_VALUE);
        EXPECT_EQ(Host.listingsHeld, 0);
        return Host.calls;
    }

    std::string File(const std::string &name, const std::string &bytes)
    {
        std::string path = PathIn(dir, name);
        WriteBytes(path, bytes);
        return path;
    }
};

