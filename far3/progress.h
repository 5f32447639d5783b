// The working box of a run, its progress in the taskbar and the window
// title, and the user's way out of a long run.
#pragma once

#include <cstdint>
#include <string>

// Draws the working box as a short run shows it, starts the clock, and
// reads whether the user wants Esc confirmed (the host's own setting).
void StartProgress();

// Takes the progress off the taskbar, flashing it after a long run; every
// way out of a run passes here.
void EndProgress();

// Called before each file: once the run has lasted a moment, the box shows
// how many files are done and this one, and the taskbar how many of those
// the listings gave, redrawn at most ten times a second. Esc pressed since
// the last look stops the run (after asking, unless the user's setting says
// not to); false once it is stopped.
bool Proceed(const std::wstring &path);

// The same inside a file, after each block: the box shows how much of it
// was read too. False stops the conversion, leaving the file as it was.
bool ProceedInFile(uint64_t bytesRead);
