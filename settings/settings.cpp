#include "settings.h"

SettingsRecord Settings;
