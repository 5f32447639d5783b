#include "settings.h"

#include <cstring>

char SettingsKey[80];

static const char KeySuffix[] = "\\Quillmere";

// A root key too long for the field is not cut short: a truncated key would
// read and write some other program's settings.
void FormSettingsKey(const char *rootKey)
{
    SettingsKey[0] = '\0';
    if (!rootKey)
        return;
    size_t length = strnlen(rootKey, sizeof SettingsKey);
    if (length + sizeof KeySuffix > sizeof SettingsKey)
        return;
    memcpy(SettingsKey, rootKey, length);
    memcpy(SettingsKey + length, KeySuffix, sizeof KeySuffix);
}

// A value of exactly 4 bytes is taken whatever its type; a shorter or longer
// one reads as the default, as does anything that cannot be read.
DWORD ReadDwordSetting(const char *name, DWORD fallback)
{
    HKEY key;
    if (!SettingsKey[0] ||
        RegOpenKeyExA(HKEY_CURRENT_USER, SettingsKey, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return fallback;
    DWORD value = 0, type = 0, size = sizeof value;
    LONG result = RegQueryValueExA(key, name, nullptr, &type, (BYTE *)&value, &size);
    RegCloseKey(key);
    return result == ERROR_SUCCESS && size == sizeof value ? value : fallback;
}

void WriteDwordSetting(const char *name, DWORD value)
{
    HKEY key;
    if (!SettingsKey[0] || RegCreateKeyExA(HKEY_CURRENT_USER, SettingsKey, 0, nullptr, 0,
                                           KEY_WRITE, nullptr, &key, nullptr) != ERROR_SUCCESS)
        return;
    RegSetValueExA(key, name, 0, REG_DWORD, (const BYTE *)&value, sizeof value);
    RegCloseKey(key);
}

void LoadSettings()
{
    Settings = NormalSettings(ReadDwordSetting("ConvertMode", ModeToLf), ReadDwordSetting("ProcessSubDir", 0));
}

void SaveSettings()
{
    WriteDwordSetting("ConvertMode", Settings.ConvertMode);
    WriteDwordSetting("ProcessSubDir", Settings.ProcessSubDir);
}
