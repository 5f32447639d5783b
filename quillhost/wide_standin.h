// The stand-in for today's host and its wide-character interface: natural
// alignment, 64-bit flags, services keyed by the module's GUID, a listing
// of the whole subtree by full paths with folder links followed.
#pragma once

#include "scenario.h"
#include "far3/plugin.h"

#include <map>
#include <string>
#include <vector>

struct WideStandIn : Scenario {
    GUID plugin = {}; // the loaded module's, from GetGlobalInfoW
    std::vector<std::wstring> catalogue;
    // The host's settings store: per plugin GUID, the numbers at its root.
    std::map<std::string, std::map<std::wstring, uint64_t>> settings;
    int settingsOpen = 0; // SCTL_CREATE not yet matched by SCTL_FREE

    bool listingRepeats = false; // every file of a listing comes twice
    int stopAnswer = 0;          // the button the user picks when asked to stop: 0 yes, 1 no
    std::vector<std::vector<std::string>> questions; // every box with Yes and No
    std::vector<std::vector<std::string>> boxes;     // every box without buttons, in order
    std::vector<unsigned long long> boxTimes;        // when each was drawn, in ms
    std::vector<DrawnItem> dialogAsShown;            // the items before the user touched them
    std::vector<uint64_t> dialogFlags;               // each item's flags as the module gave them

    int withheldItem = -1;                // a selected item the host fails to hand over
    std::function<void()> duringProgress; // called after the taskbar is set: the world fails
    // The host's own "confirm interrupting an operation" setting.
    uint64_t confirmEsc = 1;
    // The taskbar as the module left it: every state and value it set, in
    // order ("state N", "value D/T", "notify").
    std::vector<std::string> taskbar;

    // What the panel shows of each selected name, as it last read them.
    std::map<std::string, WIN32_FIND_DATAW> shown;
    int selecting = 0; // FCTL_BEGINSELECTION not yet matched by FCTL_ENDSELECTION

    // The host's texts in the settings store, beside the numbers.
    std::map<std::string, std::map<std::wstring, std::wstring>> texts;
    int filtersHeld = 0;       // created, not yet freed
    int filtersMenuOpened = 0; // times the dialog's button opened the filters menu
    bool filterStarted = false;
    std::vector<std::vector<std::string>> hostErrors; // the host's own error boxes
    int dialogKeptOpen = 0; // closings of the dialog the module refused
    int focusedItem = -1;   // the item the module last moved the focus to
};

extern WideStandIn Wide;

// A fresh panel at dir, keeping the catalogue, the module's GUID and the
// settings store.
void ResetWide(const std::string &dir);

// The panel reads what it shows of the selection. Like the real host's, it
// answers the module from what it read, until FCTL_UPDATEPANEL; a name it
// has not read (a panel not yet read, a selection changed since) makes it
// read the panel at the module's question.
void ReadWidePanel();

// The startup record; fsf is the standard-function record it points to.
// Like the real host's, both are the caller's temporaries.
PluginStartupInfo WideStartupInfo(const std::wstring &moduleName, FarStandardFunctions &fsf);

// Takes the catalogue of the given language from the module's folder: the
// .lng whose header names it, else the English one.
bool LoadWideCatalogue(const std::string &folder, const std::string &language);

std::wstring Widen(const std::string &utf8);
std::string Narrow(const std::wstring &wide);

typedef void(WINAPI *GetGlobalInfoWExport)(GlobalInfo *);
typedef void(WINAPI *SetStartupInfoWExport)(const PluginStartupInfo *);
typedef void(WINAPI *GetPluginInfoWExport)(PluginInfo *);
typedef HANDLE(WINAPI *OpenWExport)(const OpenInfo *);

struct WideModule {
    HMODULE library = nullptr;
    GetGlobalInfoWExport GetGlobalInfoW = nullptr;
    SetStartupInfoWExport SetStartupInfoW = nullptr;
    GetPluginInfoWExport GetPluginInfoW = nullptr;
    OpenWExport OpenW = nullptr;
    GlobalInfo global = {};
};

// Whether the DLL at path speaks the wide interface: it exports
// GetGlobalInfoW.
bool IsWideModule(const std::string &path);

// Loads the module as the host does, refusing it for what the host refuses
// (a missing export, a panel export, an empty title, a zero GUID, a newer
// host required); the reason goes to error.
bool LoadWideModule(const std::string &path, WideModule &module, std::string &error);
void UnloadWideModule(WideModule &module);

// The host's version test: whether this host (3.0.0.6730) may load a module
// that needs required.
bool HostMeets(const VersionInfo &required);

// A macro's arguments as the host hands them over: true and false as
// booleans, nil, numbers as doubles (as Lua gives them), anything else as
// a string; texts holds the strings.
std::vector<FarMacroValue> MacroValues(const std::vector<std::string> &arguments, std::vector<std::wstring> &texts);

// What a macro gets back from OpenW, as text ("false", "true", or the
// values); a FarMacroCall is handed back through its callback.
std::string MacroResult(HANDLE returned);
