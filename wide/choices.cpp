#include "choices.h"
#include "services.h"

ChoicesRecord Choices;

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

static void WriteNumber(HANDLE store, const wchar_t *name, uint64_t value)
{
    FarSettingsItem item = {sizeof item, 0, name, FST_QWORD, {value}};
    Far.SettingsControl(store, SCTL_SET, 0, &item);
}

void LoadChoices()
{
    Choices = ChoicesRecord();
    HANDLE store = OpenStore();
    if (store == INVALID_HANDLE_VALUE)
        return;
    // As in the single-byte module: any stored mode but 0 is CR LF, and
    // the recursion box is either ticked or clear.
    Choices.ConvertMode = ReadNumber(store, L"ConvertMode", 0) != 0;
    Choices.ProcessSubDir = ReadNumber(store, L"ProcessSubDir", 0) != 0;
    CloseStore(store);
}

void SaveChoices()
{
    HANDLE store = OpenStore();
    if (store == INVALID_HANDLE_VALUE)
        return;
    WriteNumber(store, L"ConvertMode", Choices.ConvertMode);
    WriteNumber(store, L"ProcessSubDir", Choices.ProcessSubDir);
    CloseStore(store);
}
