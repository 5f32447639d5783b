#include "progress.h"
#include "keyboard.h"
#include "messages.h"
#include "services.h"
#include "walk.h"
#include "../run/warning.h"

enum : ULONGLONG {
    ShortRun = 500,   // ms a run goes on before its box shows progress
    RedrawEvery = 100, // ms between redraws, and between looks at the keyboard
};

static ULONGLONG Started, LastLook;
static bool AskBeforeStopping, OnTheTaskbar;
static std::wstring Current; // the file being converted

// The host's confirmation of an interrupted operation, on unless the user
// turned it off.
static bool HostConfirmsStop()
{
    FarSettingsCreate create = {sizeof create, GUID(), INVALID_HANDLE_VALUE};
    if (!Far.SettingsControl(INVALID_HANDLE_VALUE, SCTL_CREATE, 0, &create))
        return true;
    FarSettingsItem item = {sizeof item, FSSF_CONFIRMATIONS, L"Esc", FST_QWORD, {1}};
    bool confirm = !Far.SettingsControl(create.Handle, SCTL_GET, 0, &item) || item.Value.Number != 0;
    Far.SettingsControl(create.Handle, SCTL_FREE, 0, nullptr);
    return confirm;
}

void StartProgress()
{
    const wchar_t *lines[] = {Msg(MsgTitle), Msg(MsgWorking)};
    ShowBox(lines, 2);
    Started = LastLook = GetTickCount64();
    AskBeforeStopping = HostConfirmsStop();
    OnTheTaskbar = false;
    Current.clear();
}

void EndProgress()
{
    if (!OnTheTaskbar)
        return;
    Far.AdvControl(&PluginGuid, ACTL_SETPROGRESSSTATE, TBPS_NOPROGRESS, nullptr);
    Far.AdvControl(&PluginGuid, ACTL_PROGRESSNOTIFY, 0, nullptr);
    OnTheTaskbar = false;
}

static void ShowProgress(uint64_t bytesRead)
{
    WarningLine<wchar_t> done, shown, read;
    WithCount(Msg(MsgFilesDone), Run.done, done);
    ShortenMiddle(Current.c_str(), WarningWidth, shown.text);
    WithCount(Msg(MsgMiBRead), size_t(bytesRead >> 20), read);
    const wchar_t *lines[] = {Msg(MsgTitle), Msg(MsgWorking), done.text, shown.text, read.text};
    // A file shows how far it is once there is a MiB of it to tell.
    ShowBox(lines, bytesRead >> 20 ? 5 : 4);
    // Noted first: whatever fails from here on, the run's end takes the
    // progress off the taskbar again.
    if (!OnTheTaskbar) {
        OnTheTaskbar = true;
        Far.AdvControl(&PluginGuid, ACTL_SETPROGRESSSTATE, TBPS_NORMAL, nullptr);
    }
    ProgressValue value = {sizeof value, Run.done, Run.listed > Run.done ? Run.listed : Run.done};
    Far.AdvControl(&PluginGuid, ACTL_SETPROGRESSVALUE, 0, &value);
}

static bool UserStops()
{
    if (!AskBeforeStopping)
        return true;
    const wchar_t *lines[] = {Msg(MsgTitle), Msg(MsgStopQuestion), Msg(MsgStopDetail)};
    return Far.Message(&PluginGuid, nullptr, FMSG_WARNING | FMSG_MB_YESNO, nullptr, lines, 3, 0) == 0;
}

// One look, at most every RedrawEvery ms: at the keyboard, then the box.
static bool Look(uint64_t bytesRead)
{
    if (Run.stopped)
        return false;
    ULONGLONG now = GetTickCount64();
    if (now - LastLook < RedrawEvery)
        return true;
    LastLook = now;
    if (EscapePressed() && UserStops()) {
        Run.stopped = true;
        return false;
    }
    if (now - Started >= ShortRun)
        ShowProgress(bytesRead);
    return true;
}

bool Proceed(const std::wstring &path)
{
    Current = path;
    return Look(0);
}

bool ProceedInFile(uint64_t bytesRead)
{
    return Look(bytesRead);
}
