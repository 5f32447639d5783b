// The store of the two remembered choices: the host's settings, under the
// module's own root.
#pragma once

#include "../run/choices.h"

// Reads the stored choices into Settings; what is not stored (the first
// run) stays at its default.
void LoadSettings();
void SaveSettings();
