// The stand-in for the host's file masks: lists separated by commas or
// semicolons, exclusions after "|", and the wildcards *, ? and [...],
// matched without regard to case. Regular expressions between slashes,
// which the real host also takes, are not part of the stand-in.
#pragma once

#include <string>

// Whether the host would take the list: not blank, every "[" closed, at
// most one "|".
bool MaskListValid(const std::wstring &list);

// Whether a name (without its path) matches the list: one of its masks
// before "|" (all names when there are none) and none after it.
bool MaskListMatches(const std::wstring &list, const std::wstring &name);
