// The two remembered choices, whatever store keeps them.
#pragma once

#include "../engine/engine.h"

#include <cstdint>

struct SettingsRecord {
    DWORD ConvertMode;   // ModeToLf; any other value converts to CR LF
    DWORD ProcessSubDir; // non-zero: descend into selected directories
};

extern SettingsRecord Settings;

// The record as the dialog shows it, from the values a store held: every
// mode but 0 converts to CR LF, held as 1 so the dialog has one of its two
// radio buttons on; the recursion box is ticked by any value but 0, and is
// saved back as 1.
SettingsRecord NormalSettings(uint64_t mode, uint64_t subdirs);
