// The store of the two remembered choices: the host's settings, under the
// module's own root.
#pragma once

#include "../run/choices.h"

// The wide module's own choice beside the two both modules have.
struct WideSettingsRecord {
    DWORD ConvertBinary; // non-zero: files with NUL bytes are converted too
};

extern WideSettingsRecord WideSettings;

// Reads the stored choices into Settings and WideSettings; what is not
// stored (the first run) stays at its default.
void LoadSettings();
void SaveSettings();
