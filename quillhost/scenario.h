// What the stand-in host's user does and sees, whichever interface the
// module speaks: the panel, the answers at the dialog, and what happened.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

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

struct Scenario {
    // The panel: its directory (host path text) and the user's selection.
    std::string curDir;
    std::vector<std::string> selection;
    std::string cursorItem; // reported when nothing is selected; ".." means none
    PanelKind panel = PanelKind::Folder;
    int panelType = 0; // a file panel

    bool listingFails = false;
    std::function<void(const std::string &dir)> afterListing; // the world moves on

    // The user at the dialog: 0 leaves the preset, 1 or 2 picks that radio
    // button; -1 leaves the box as preset, 0 or 1 sets it.
    int pickRadio = 0;
    int subdirs = -1;
    int binaryToo = -1; // the wide module's box for binary files
    // The wide module's masks line: typed over when given.
    bool typeMasks = false;
    std::string masks;
    int useFilter = -1; // the wide module's box for the host's filter
    // The host's filter, as the user sets it up in its menu: files smaller
    // than this pass (-1: every file passes).
    long long filterBelow = -1;
    bool thisRunOnly = false;
    DialogClose close = DialogClose::Accept;

    bool show = false;                 // draw the dialog and the working box as text
    std::vector<std::string> messages; // the module's catalogue, as UTF-8

    // What happened.
    std::vector<std::string> calls;
    std::vector<std::string> warning; // the lines of the last warning the module showed
    std::vector<std::string> listed;  // every directory GetDirList was asked for
    int listingsHeld = 0;             // GetDirList calls not yet matched by FreeDirList
    std::string screen;               // what --show drew
};

// A dialog item as the user sees it, from either interface's record; the
// item types and layout flags have the same values in both.
enum DrawnType : int {
    DrawnText = 0,
    DrawnDoubleBox = 3,
    DrawnEdit = 4,
    DrawnButton = 7,
    DrawnCheckBox = 8,
    DrawnRadioButton = 9,
};

enum : uint64_t {
    DrawnCenterGroup = 0x4000,
    DrawnSeparator = 0x10000,
    DrawnHistory = 0x40000, // an edit line's; on a button it keeps the dialog open
};

struct DrawnItem {
    int type;
    int x1, y1, x2, y2;
    int selected;
    uint64_t flags;
    bool defaultButton;
    std::string text; // UTF-8, "&" before the hotkey
};

// The user's answers (scenario's pickRadio, subdirs, binaryToo, masks,
// useFilter, thisRunOnly) applied to the items, and the index of the item
// that closes the dialog (-1 for Escape).
void AnswerDialog(std::vector<DrawnItem> &items, const Scenario &user);
int ClosingIndex(const std::vector<DrawnItem> &items, const Scenario &user);

// Reads a catalogue in the host's .lng format, with or without a UTF-8
// byte-order mark; false when it cannot. language receives the name its
// header gives.
bool ReadCatalogue(const std::string &path, std::vector<std::string> &messages, std::string &language);

// The host path text of a native path, and back.
std::string HostPath(const std::string &native);
std::string NativeOf(const std::string &hostPath);
