// quillhost's runs of a module, one per interface; a build has the ones its
// platform can load (QUILLHOST_SINGLE, QUILLHOST_WIDE).
#pragma once

#include "scenario.h"

#include <string>

struct DriveOptions {
    std::string module, rootKey = "Software\\QuillmereHost", language = "English", settings;
    std::vector<std::string> names;
    Scenario user; // the panel and the answers at the dialog
    bool subtreeListing = false;
    // Wide modules: called as a macro calls them, with these arguments,
    // instead of from the plugins menu.
    bool fromMacro = false;
    std::vector<std::string> macro;
};

// Loads the module, runs its menu entry with the user's answers and prints
// what the host would show; the exit status: 0, or 1 after a warning or a
// failure (told with Fail).
int DriveSingle(const DriveOptions &options);
int DriveWide(const DriveOptions &options);
bool IsWideModule(const std::string &path);

// Prints UTF-8 text as the console shows it.
void Print(const std::string &text);
bool Fail(const std::string &message);
