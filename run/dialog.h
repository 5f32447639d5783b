// The conversion dialog as both modules show it: its items, where the
// remembered choices put it, and the choices an accepted dialog makes.
#pragma once

#include "choices.h"

#include <cstdint>

// Item types and flags, with the values both host interfaces give them.
enum DialogKind : unsigned char {
    KindText = 0,
    KindDoubleBox = 3,
    KindEdit = 4,
    KindButton = 7,
    KindCheckBox = 8,
    KindRadioButton = 9,
};

enum DialogTraits : uint32_t {
    TraitBoxColor = 0x200,
    TraitGroup = 0x400,
    TraitCenterGroup = 0x4000,
    TraitSeparator = 0x10000,
    TraitHistory = 0x40000, // an edit line's; on a button the same bit keeps the dialog open
    TraitNoClose = 0x40000,
};

// One item: its text is the catalogue's message, or, where message is
// negative, the literal.
struct DialogShape {
    DialogKind kind;
    unsigned char x1, y1, x2, y2;
    uint32_t traits;
    bool isDefault;
    int message;
    const char *literal;
};

enum : int {
    MostDialogItems = 20,
};

// The items a module adds to those both have, each by the catalogue's text
// (-1 leaves it out): a box for binary files, and a group choosing the files
// inside folders by masks (a label over an edit line with a history) and by
// the host's filter (a box, and a button that opens the filters).
struct OwnItems {
    int binaryToo, masks, useFilter, filter;
};

inline constexpr OwnItems NoOwnItems = {-1, -1, -1, -1};

// The dialog's items, top to bottom, and where the ones read back stand
// (-1 for an item left out).
struct DialogLayout {
    DialogShape items[MostDialogItems];
    int count, width, height;
    int toLf, toCrLf, subDir, binaryToo, masks, useFilter, filter, thisRunOnly, accept;
};

// The double box with the two targets, the recursion box and the box for
// binary files, the masks and filter, "this run only" and the buttons,
// groups apart by separators.
DialogLayout LayOutDialog(const OwnItems &own);

// The radio button the remembered mode turns on and focuses.
int ModeItem(const DialogLayout &dialog, DWORD mode);

// The choices of an accepted dialog; false when neither target was on.
bool ChosenSettings(bool toLf, bool toCrLf, bool subdirs, SettingsRecord &chosen);
