// The two remembered choices, kept in the host's settings store under the
// module's own root.
#pragma once

#include <cstdint>

struct ChoicesRecord {
    uint64_t ConvertMode;  // 0 converts to LF; stored any other value, to CR LF
    uint64_t ProcessSubDir; // non-zero: descend into selected folders
};

extern ChoicesRecord Choices;

// Reads the stored choices; what is not stored (the first run) stays at
// its default.
void LoadChoices();
void SaveChoices();
