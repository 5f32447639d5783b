// The module's exports, the host's only way in. Nothing thrown inside may
// cross them: the host would take it for a crash and unload the module.
#include "exports.h"
#include "command.h"
#include "messages.h"
#include "services.h"

void WINAPI GetGlobalInfoW(GlobalInfo *info)
{
    // The host calls this before anything else: no catalogue yet.
    info->StructSize = sizeof *info;
    info->MinFarVersion = {3, 0, 0, 3596, VS_RELEASE};
    // Major, Minor, Revision, Build: the host shows it as the version
    // resource's 1.0.0.1.
    info->Version = {1, 0, 1, 0, VS_RELEASE};
    info->Guid = PluginGuid;
    info->Title = L"Quillmere";
    info->Description = L"Converts the line breaks of the selected files to LF or to CR LF";
    info->Author = L"The Quillmere developers";
}

void WINAPI SetStartupInfoW(const PluginStartupInfo *info)
{
    // Hosts before 3.0.5553 end the record before Instance and FreeScreen,
    // which this module does not use.
    KeepStartupInfo(info);
}

void WINAPI GetPluginInfoW(PluginInfo *info)
{
    static const wchar_t *menuStrings[1];
    menuStrings[0] = Msg(MsgMenuItem);
    info->StructSize = sizeof *info;
    info->Flags = 0;
    info->PluginMenu.Guids = &MenuGuid;
    info->PluginMenu.Strings = menuStrings;
    info->PluginMenu.Count = 1;
}

HANDLE WINAPI OpenW(const OpenInfo *info)
{
    try {
        if (info && info->OpenFrom == OPEN_FROMMACRO)
            return RunFromMacro((const OpenMacroInfo *)info->Data);
        RunFromMenu();
    } catch (...) {
        // Out of memory for a listing or a name: the files stay as they
        // were, each converted one whole.
    }
    return nullptr;
}
