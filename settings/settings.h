// The two remembered choices and their store under the host's registry key.
#pragma once

#include "../platform/platform.h"

enum ConvertModes : DWORD {
    ModeToLf = 0,
    ModeToCrLf = 1,
};

struct SettingsRecord {
    DWORD ConvertMode;   // ModeToLf; any other value converts to CR LF
    DWORD ProcessSubDir; // non-zero: descend into selected directories
};

extern SettingsRecord Settings;
