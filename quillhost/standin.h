// A stand-in for the host, written from its published interface: it fills a
// startup record whose services behave as the real host's do, answers the
// dialog as a user would, and records every call the module makes.
#pragma once

#include "host/plugin.h"

#include <functional>
#include <map>
#include <string>
#include <vector>

enum class ListingForm {
    Direct,  // only the entries directly inside the listed directory
    Subtree, // the real host's: the whole subtree, named from the parent
};

enum class PanelKind {
    Folder,    // a folder on disk; the items are names in it
    Plugin,    // a plugin's panel (an archive): names that are no files on disk
    RealNames, // a plugin's panel of real files, named by their full paths
};

enum class DialogClose {
    Accept, // the default button
    Cancel, // the second button
    Escape,
};

struct StandInHost {
    // The panel: its directory (host path text) and the user's selection.
    std::string curDir;
    std::vector<std::string> selection;
    std::string cursorItem; // reported when nothing is selected; ".." means none
    bool panelInfoFails = false;
    PanelKind panel = PanelKind::Folder;
    int panelType = PTYPE_FILEPANEL;
    // How the host hands over an entry, by its name on disk: a name can
    // reach the module changed ("?" for a character the code page lacks, or
    // a look-alike), with a short name or none.
    struct Handed {
        std::string name, shortName;
    };
    std::map<std::string, Handed> handedAs;

    ListingForm listing = ListingForm::Direct;
    bool listingFails = false;
    bool listingAddsDots = false; // a misbehaving host that lists "." and ".."
    std::function<void(const std::string &dir)> afterListing; // the world moves on

    // The user at the dialog: 0 leaves the preset, 1 or 2 picks that radio
    // button; -1 leaves the box as preset, 0 or 1 sets it.
    int pickRadio = 0;
    int subdirs = -1;
    bool thisRunOnly = false;
    DialogClose close = DialogClose::Accept;

    bool show = false; // draw the dialog and the working box as text
    std::vector<std::string> messages; // the module's catalogue

    // What happened.
    std::vector<std::string> calls;
    std::vector<std::string> warning; // the lines of the last warning the module showed
    std::vector<FarDialogItem> dialogAsShown; // the items before the user touched them
    std::vector<std::string> listed;          // every directory GetDirList was asked for
    int listingsHeld = 0;                     // GetDirList calls not yet matched by FreeDirList
    std::string screen;                       // what --show drew
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

// The host path text of a native path, and back.
std::string HostPath(const std::string &native);
std::string NativeOf(const std::string &hostPath);
