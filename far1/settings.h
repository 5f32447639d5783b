// The store of the two remembered choices under the host's registry key.
#pragma once

#include "../run/choices.h"

// The host's root key followed by "\Quillmere", under HKEY_CURRENT_USER.
// Empty when no usable key could be formed; settings then stay at their
// defaults and nothing is stored.
extern char SettingsKey[80];

void FormSettingsKey(const char *rootKey);
DWORD ReadDwordSetting(const char *name, DWORD fallback);
void WriteDwordSetting(const char *name, DWORD value);
void LoadSettings();
void SaveSettings();
