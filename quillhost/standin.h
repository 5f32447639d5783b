// A stand-in for the host, written from its published interface: it fills a
// startup record whose services behave as the real host's do, answers the
// dialog as a user would, and records every call the module makes.
#pragma once

#include "far1/plugin.h"
#include "scenario.h"

#include <map>
#include <string>
#include <vector>

enum class ListingForm {
    Direct,  // only the entries directly inside the listed directory
    Subtree, // the real host's: the whole subtree, named from the parent
};

// The single-byte host: the scenario, and what only this interface has.
struct StandInHost : Scenario {
    bool panelInfoFails = false;
    // How the host hands over an entry, by its name on disk: a name can
    // reach the module changed ("?" for a character the code page lacks, or
    // a look-alike), with a short name or none.
    struct Handed {
        std::string name, shortName;
    };
    std::map<std::string, Handed> handedAs;

    ListingForm listing = ListingForm::Direct;
    bool listingAddsDots = false; // a misbehaving host that lists "." and ".."

    std::vector<FarDialogItem> dialogAsShown; // the items before the user touched them
};

extern StandInHost Host;

// Resets the stand-in to a fresh panel at dir, keeping the catalogue.
void ResetHost(const std::string &dir);

// The startup record the real host hands over, of the full size.
PluginStartupInfo StartupInfoFor(const char *rootKey);

// Reads a catalogue in the host's .lng format; false when it cannot.
bool LoadMessages(const std::string &lngPath);

// An entry named name (as the host names it) lying at hostPath, described
// as the host's panel or listing describes it.
PluginPanelItem PanelItem(const std::string &name, const std::string &hostPath);

