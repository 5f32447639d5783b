// What the wide module's test programs share: files by wide paths of any
// length, the test's folder as the host names it, and the host's side of
// loading the module and picking its menu entry.
#pragma once

#include "quillhost/wide_standin.h"
#include "tests/support.h"

#include <gtest/gtest.h>

#include <string>

inline const char *const Title = "Line breaks";
inline const char *const Working = "Converting the selected files...";

std::wstring Long(const std::wstring &path);
void Put(const std::wstring &path, const std::string &bytes);
std::string Get(const std::wstring &path);
FileTimes TimesAt(const std::wstring &path);
// Moves a file's three time stamps one day into the past.
void BackdateAt(const std::wstring &path);
// How many cvt temporaries lie anywhere below root; with remove, removed.
int TemporariesBelow(const std::string &root, bool remove = false);

// The test's own folder, as the host names it.
std::wstring Root();

// The host has loaded the module: its GUID known, its catalogue read.
void LoadModule(const std::wstring &panelDir, const char *language = "English");

// The user picks the menu entry; the host's records are temporaries.
void PickMenuEntry();

// A macro calls the module with these arguments (as quillhost --macro
// takes them); what the macro gets, as text.
std::string CallAsMacro(const std::vector<std::string> &arguments);
