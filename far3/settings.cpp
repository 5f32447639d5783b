#include "settings.h"
#include "services.h"

WideSettingsRecord WideSettings;

// The store is open from here to its close, and writes take effect only
// when it closes.
static HANDLE OpenStore()
{
    FarSettingsCreate create = {sizeof create, PluginGuid, INVALID_HANDLE_VALUE};
    if (!Far.SettingsControl(nullptr, SCTL_CREATE, PSL_ROAMING, &create))
        return INVALID_HANDLE_VALUE;
    return create.Handle;
}

static void CloseStore(HANDLE store)
{
    Far.SettingsControl(store, SCTL_FREE, 0, nullptr);
}

static uint64_t ReadNumber(HANDLE store, const wchar_t *name, uint64_t fallback)
{
    FarSettingsItem item = {sizeof item, 0, name, FST_QWORD, {fallback}};
    return Far.SettingsControl(store, SCTL_GET, 0, &item) ? item.Value.Number : fallback;
}

// The text is the store's until it closes: copied here.
static std::wstring ReadText(HANDLE store, const wchar_t *name, const std::wstring &fallback)
{
    FarSettingsItem item = {sizeof item, 0, name, FST_STRING, {}};
    if (!Far.SettingsControl(store, SCTL_GET, 0, &item) || !item.Value.String)
        return fallback;
    return item.Value.String;
}

static void WriteNumber(HANDLE store, const wchar_t *name, uint64_t value)
{
    FarSettingsItem item = {sizeof item, 0, name, FST_QWORD, {value}};
    Far.SettingsControl(store, SCTL_SET, 0, &item);
}

static void WriteText(HANDLE store, const wchar_t *name, const std::wstring &value)
{
    FarSettingsItem item = {sizeof item, 0, name, FST_STRING, {}};
    item.Value.String = value.c_str();
    Far.SettingsControl(store, SCTL_SET, 0, &item);
}

void LoadSettings()
{
    Settings = SettingsRecord();
    WideSettings = WideSettingsRecord();
    HANDLE store = OpenStore();
    if (store == INVALID_HANDLE_VALUE)
        return;
    Settings = NormalSettings(ReadNumber(store, L"ConvertMode", 0), ReadNumber(store, L"ProcessSubDir", 0));
    WideSettings.ConvertBinary = ReadNumber(store, L"ConvertBinary", 0) != 0;
    WideSettings.Masks = ReadText(store, L"Masks", WideSettings.Masks);
    WideSettings.UseFilter = ReadNumber(store, L"UseFilter", 0) != 0;
    CloseStore(store);
}

void SaveSettings()
{
    HANDLE store = OpenStore();
    if (store == INVALID_HANDLE_VALUE)
        return;
    WriteNumber(store, L"ConvertMode", Settings.ConvertMode);
    WriteNumber(store, L"ProcessSubDir", Settings.ProcessSubDir);
    WriteNumber(store, L"ConvertBinary", WideSettings.ConvertBinary);
    WriteText(store, L"Masks", WideSettings.Masks);
    WriteNumber(store, L"UseFilter", WideSettings.UseFilter);
    CloseStore(store);
}
