// The settings read back from stored values of any type and size: a value
// of exactly 4 bytes is the number, anything else the default, and the
// mode always names one of the dialog's two radio buttons.
#include "far1/settings.h"

#include <cstdlib>
#include <cstring>
#include <string>

static const char RootKey[] = "Software\\QuillmereFuzz";

// The registry stand-in keeps its store where scripts/fuzz points
// XDG_CONFIG_HOME.
extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    FormSettingsKey(RootKey);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 4 || size > 4 + 4096)
        return 0;
    DWORD type;
    memcpy(&type, data, 4);
    HKEY key;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, SettingsKey, 0, nullptr, 0, KEY_WRITE, nullptr, &key,
                        nullptr) != ERROR_SUCCESS)
        abort();
    for (const char *name : {"ConvertMode", "ProcessSubDir"})
        RegSetValueExA(key, name, 0, type, data + 4, (DWORD)(size - 4));
    RegCloseKey(key);

    LoadSettings();
    DWORD stored = 0;
    if (size == 8)
        memcpy(&stored, data + 4, 4);
    if (Settings.ProcessSubDir != (stored != 0) || Settings.ConvertMode != (stored != 0))
        abort();
    return 0;
}
