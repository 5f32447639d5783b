// The conversion dialog as both modules show it: its items, where the
// remembered choices put it, and the choices an accepted dialog makes.
#pragma once

#include "choices.h"

#include <cstdint>

enum DialogItems {
    FrameItem,
    ToLfItem,
    ToCrLfItem,
    SubDirItem = 4,
    ThisRunOnlyItem = 6,
    AcceptItem = 8,
    CancelItem,
    DialogItemCount,
};

enum : int {
    DialogWidth = 46,
    DialogHeight = 12,
};

// Item types and flags, with the values both host interfaces give them.
enum DialogKind : unsigned char {
    KindText = 0,
    KindDoubleBox = 3,
    KindButton = 7,
    KindCheckBox = 8,
    KindRadioButton = 9,
};

enum DialogTraits : uint32_t {
    TraitBoxColor = 0x200,
    TraitGroup = 0x400,
    TraitCenterGroup = 0x4000,
    TraitSeparator = 0x10000,
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

extern const DialogShape ConversionDialog[DialogItemCount];

// The radio button the remembered mode turns on and focuses.
int ModeItem(DWORD mode);

// The choices of an accepted dialog; false when neither target was on.
bool ChosenSettings(bool toLf, bool toCrLf, bool subdirs, SettingsRecord &chosen);
