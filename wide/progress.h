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

// text cut to width characters by "..." in its middle, keeping more of its
// end, where a path's file name is.
std::wstring ShortenMiddle(const std::wstring &text, size_t width);

enum : size_t {
    // The host cuts a message line at about 15 columns less than the
    // screen's width; 64 fits an 80-column screen.
    LineWidth = 64,
};

// The catalogue's message n with its "%d" replaced by count; the text is
// never used as a format of its own.
std::wstring WithCount(int n, size_t count);
