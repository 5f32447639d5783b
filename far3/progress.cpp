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

void StartProgress()
{
    const wchar_t *lines[] = {Msg(MsgTitle), Msg(MsgWorking)};
    ShowBox(lines, 2);
    Started = LastLook = GetTickCount64();
}

static void ShowProgress(const std::wstring &path)
{
    WarningLine<wchar_t> done, shown;
    WithCount(Msg(MsgFilesDone), Run.done, done);
    ShortenMiddle(path.c_str(), WarningWidth, shown.text);
    const wchar_t *lines[] = {Msg(MsgTitle), Msg(MsgWorking), done.text, shown.text};
    ShowBox(lines, 4);
}

static bool UserStops()
{
    const wchar_t *lines[] = {Msg(MsgTitle), Msg(MsgStopQuestion), Msg(MsgStopDetail)};
    return Far.Message(&PluginGuid, nullptr, FMSG_WARNING | FMSG_MB_YESNO, nullptr, lines, 3, 0) == 0;
}

bool Proceed(const std::wstring &path)
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
        ShowProgress(path);
    return true;
}
