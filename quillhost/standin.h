// A stand-in for the host, written from its published interface: it fills a
// startup record whose services behave as the real host's do, answers the
// dialog as a user would, and records every call the module makes.
#pragma once

#include "host/plugin.h"

#include <functional>
#include <string>
#include <vector>

enum class ListingForm {
    Direct,  // only the entries directly inside the listed directory
    Subtree, // the real host's: the whole subtree, named from the parent
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

// The host path text of a native path, and back.
std::string HostPath(const std::string &native);
std::string NativeOf(const std::string &hostPath);
