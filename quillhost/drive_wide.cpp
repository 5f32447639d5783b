// quillhost's run of a module for today's host.
#include "drive.h"
#include "wide_standin.h"

#include <cstring>
#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

// The host's settings store between runs: a line "GUID name value" each,
// a text value in double quotes.
static void ReadStore(const std::string &file)
{
    std::ifstream in(file);
    std::string guid, name, value;
    while (in >> guid >> name >> std::ws && std::getline(in, value))
        if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
            Wide.texts[guid][Widen(name)] = Widen(value.substr(1, value.size() - 2));
        else
            Wide.settings[guid][Widen(name)] = strtoull(value.c_str(), nullptr, 10);
}

static void WriteStore(const std::string &file)
{
    std::ofstream out(file);
    for (const auto &[guid, values] : Wide.settings)
        for (const auto &[name, value] : values)
            out << guid << " " << Narrow(name) << " " << value << "\n";
    for (const auto &[guid, values] : Wide.texts)
        for (const auto &[name, value] : values)
            out << guid << " " << Narrow(name) << " \"" << Narrow(value) << "\"\n";
}

// What stays selected on the panel after the run, as a line.
static std::string SelectionLeft()
{
    std::string names;
    for (const std::string &name : Wide.selection)
        names += (names.empty() ? "" : " ") + name;
    return "Still selected: " + (names.empty() ? std::string("none") : names) + "\n";
}

int DriveWide(const DriveOptions &options)
{
    WideModule module;
    std::string error;
    if (!LoadWideModule(options.module, module, error))
        return Fail(error), 1;
    // The user's side first: the catalogue is the host's, read for this module.
    static_cast<Scenario &>(Wide) = options.user;
    if (!LoadWideCatalogue(fs::path(options.module).parent_path().string(), options.language)) {
        UnloadWideModule(module);
        return Fail("no message catalogue beside " + options.module), 1;
    }
    ReadStore(options.settings);
    {
        // The host's records are temporaries: gone once the call returns.
        FarStandardFunctions fsf;
        PluginStartupInfo info = WideStartupInfo(Widen(fs::absolute(options.module).string()), fsf);
        module.SetStartupInfoW(&info);
        memset(&info, 0xCC, sizeof info);
        memset(&fsf, 0xCC, sizeof fsf);
    }
    PluginInfo plugin = {};
    plugin.StructSize = sizeof plugin;
    module.GetPluginInfoW(&plugin);
    if (plugin.PluginMenu.Count != 1 || !plugin.PluginMenu.Guids || !plugin.PluginMenu.Strings) {
        UnloadWideModule(module);
        return Fail("the module offers no plugins-menu entry"), 1;
    }
    if (Wide.show)
        Print("Plugins menu: " + Narrow(plugin.PluginMenu.Strings[0]) + "\n\n");
    const GUID menuItem = plugin.PluginMenu.Guids[0];
    std::vector<std::wstring> texts;
    std::vector<FarMacroValue> values = MacroValues(options.macro, texts);
    OpenMacroInfo call = {sizeof call, values.size(), values.data()};
    OpenInfo open = {sizeof open, options.fromMacro ? OPEN_FROMMACRO : OPEN_PLUGINSMENU, &menuItem,
                     options.fromMacro ? (intptr_t)&call : 0, nullptr};
    HANDLE returned = module.OpenW(&open);
    Print(Wide.screen);
    if (!options.names.empty())
        Print(SelectionLeft());
    if (options.fromMacro)
        Print("The macro gets: " + MacroResult(returned) + "\n");
    UnloadWideModule(module);
    WriteStore(options.settings);
    if (returned && !options.fromMacro)
        return Fail("OpenW returned a panel handle; the host would open a plugin panel"), 1;
    return Wide.warning.empty() ? 0 : 1;
}
