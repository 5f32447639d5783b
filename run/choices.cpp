#include "choices.h"

SettingsRecord Settings;

SettingsRecord NormalSettings(uint64_t mode, uint64_t subdirs)
{
    return {mode == ModeToLf ? DWORD(ModeToLf) : DWORD(ModeToCrLf), DWORD(subdirs != 0)};
}
