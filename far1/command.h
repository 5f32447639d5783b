// The run behind the module's menu entry: the dialog, the walk over the
// active panel's selection, and the remembered choices.
#pragma once

#include "plugin.h"

#include <cstdint>

// A dialog item as written down in the module; Data is a message number
// (any value below 2000) or the address of a literal text.
struct DialogItemTemplate {
    unsigned char Type;
    unsigned char X1, Y1, X2, Y2;
    unsigned char Focus;
    int Selected;
    DWORD Flags;
    unsigned char DefaultButton;
    uintptr_t Data;
};

void ExpandDialogTemplate(const DialogItemTemplate *templates, FarDialogItem *items, int count);
void RunConversionCommand();
