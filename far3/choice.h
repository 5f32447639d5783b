// Which files found inside selected folders a run takes: those the user's
// masks name and, when the box is ticked, those the host's own filter
// passes. A file selected by itself is always taken.
#pragma once

#include "plugin.h"

#include <string>

// The host's filter, held from before the dialog (whose button opens its
// menu) to the run's end, and freed however the run ends. Without the
// host's service every file passes.
struct HeldFilter {
    HeldFilter();
    ~HeldFilter();
    HeldFilter(const HeldFilter &) = delete;
    HeldFilter &operator=(const HeldFilter &) = delete;
};

// The host's menu of filters, the one its copy and find-file dialogs open.
void OpenFiltersMenu();

// Called once before the walk: the host fixes "now" for filters on age.
void StartChoosing();

// Whether the file's name matches the masks and, when asked, the file
// passes the filter.
bool Wanted(const PluginPanelItem &item);

// The masks a line of text gives: a blank line means every file.
std::wstring MasksOf(const wchar_t *text);

// Whether the host's mask service takes the list; with explain, the host
// tells the user what is wrong with it.
bool MasksValid(const std::wstring &masks, bool explain);
