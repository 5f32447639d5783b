// The store of the two remembered choices: the host's settings, under the
// module's own root.
#pragma once

#include "../run/choices.h"

#include <string>

// The wide module's own choices beside the two both modules have.
struct WideSettingsRecord {
    DWORD ConvertBinary = 0;  // non-zero: files with NUL bytes are converted too
    std::wstring Masks = L"*"; // which files inside selected folders, in the host's mask syntax
    DWORD UseFilter = 0;       // non-zero: those files must pass the host's filter too
};

extern WideSettingsRecord WideSettings;

// Reads the stored choices into Settings and WideSettings; what is not
// stored (the first run) stays at its default.
void LoadSettings();
void SaveSettings();
