#pragma once

#include "plugin.h"

// The run behind the plugins-menu entry: the dialog, the conversion of the
// active panel's selection, the warning, the selection left on what was
// left alone, the panels refreshed.
void RunFromMenu();

// The same run called from a macro: its arguments instead of the dialog,
// nothing remembered. What OpenW hands back to the macro: the counts of
// files converted and not converted, or null (false) for a bad argument.
HANDLE RunFromMacro(const OpenMacroInfo *call);
