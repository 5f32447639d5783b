// The module's hold on today's host: the kept startup record, the module's
// GUIDs, and its catalogue's texts.
#pragma once

#include "plugin.h"

extern PluginStartupInfo Far;
// The host's standard functions, kept beside it; Far.FSF points here.
extern FarStandardFunctions FarFunctions;

// Keeps the host's two records, each as large as that host's build made it
// and no larger; what a record lacks stays null.
void KeepStartupInfo(const PluginStartupInfo *info);

extern const GUID PluginGuid, MenuGuid, DialogGuid;

// Message n of the catalogue for the host's current language.
const wchar_t *Msg(int n);

// A box of lines (the first is the title) with no buttons: drawn at once,
// it stays until the screen is drawn over.
void ShowBox(const wchar_t *const *lines, size_t count);
