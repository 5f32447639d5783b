// The working box of a run, and the user's way out of a long one.
#pragma once

#include <string>

// Draws the working box as a short run shows it, and starts the clock.
void StartProgress();

// Called before each file: once the run has lasted a moment, the box shows
// how many files are done and this one, redrawn at most ten times a second.
// Esc pressed since the last look asks whether to stop; false once the user
// said yes.
bool Proceed(const std::wstring &path);
