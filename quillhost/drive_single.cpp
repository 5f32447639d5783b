// quillhost's run of a single-byte module.
#include "drive.h"
#include "loader.h"
#include "standin.h"

#include <cstring>
#include <filesystem>

namespace fs = std::filesystem;

int DriveSingle(const DriveOptions &options)
{
    LoadedModule module;
    std::string error;
    if (!LoadModule(options.module, module, error))
        return Fail(error), 1;
    // The user's side first: the catalogue is the host's, read for this module.
    static_cast<Scenario &>(Host) = options.user;
    fs::path lng = fs::path(options.module).parent_path() / "QuillmereEng.lng";
    if (!LoadMessages(lng.string())) {
        UnloadModule(module);
        return Fail("cannot read the message catalogue " + lng.string()), 1;
    }
    Host.listing = options.subtreeListing ? ListingForm::Subtree : ListingForm::Direct;
    PluginStartupInfo info = StartupInfoFor(options.rootKey.c_str());
    module.SetStartupInfo(&info);
    PluginInfo plugin;
    memset(&plugin, 0, sizeof plugin);
    module.GetPluginInfo(&plugin);
    if (Host.show && plugin.PluginMenuStringsNumber > 0)
        Print("Plugins menu: " + std::string(plugin.PluginMenuStrings[0]) + "\n\n");
    module.OpenPlugin(OPEN_PLUGINSMENU, 0);
    Print(Host.screen);
    UnloadModule(module);
    return Host.warning.empty() ? 0 : 1;
}
