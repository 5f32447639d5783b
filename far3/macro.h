// A macro's call of the conversion: its arguments in place of the dialog,
// and the counts it gets back.
#pragma once

#include "plugin.h"

#include <cstddef>

// Sets Settings and WideSettings from the macro's arguments, in order: the
// target ("unix" or "windows", or 0 and 1), whether to walk subfolders,
// the masks, whether to convert binary files too; an argument not given
// (or nil) keeps the remembered choice. False for an argument the call
// cannot mean: nothing is converted then.
bool TakeMacroArguments(const OpenMacroInfo *call);

// What OpenW returns to hand the macro two numbers; the host gives the
// record back through its callback, which frees it.
HANDLE MacroAnswer(size_t converted, size_t notConverted);
