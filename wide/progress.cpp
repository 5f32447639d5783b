#include "progress.h"
#include "keyboard.h"
#include "messages.h"
#include "services.h"
#include "walk.h"

enum : ULONGLONG {
    ShortRun = 500,   // ms a run goes on before its box shows progress
    RedrawEvery = 100, // ms between redraws, and between looks at the keyboard
};

static ULONGLONG Started, LastLook;

void StartProgress()
{
    const wchar_t *lines[] = {Msg(MTitle), Msg(MWorking)};
    ShowBox(lines, 2);
    Started = LastLook = GetTickCount64();
}

std::wstring ShortenMiddle(const std::wstring &text, size_t width)
{
    if (text.size() <= width)
        return text;
    size_t head = (width - 3) / 3, tail = width - 3 - head;
    return text.substr(0, head) + L"..." + text.substr(text.size() - tail);
}

std::wstring WithCount(int n, size_t count)
{
    std::wstring text = Msg(n);
    size_t mark = text.find(L"%d");
    if (mark != std::wstring::npos)
        text.replace(mark, 2, std::to_wstring(count));
    return text;
}

static void ShowProgress(const std::wstring &path)
{
    std::wstring done = WithCount(MFilesDone, Run.done), shown = ShortenMiddle(path, LineWidth);
    const wchar_t *lines[] = {Msg(MTitle), Msg(MWorking), done.c_str(), shown.c_str()};
    ShowBox(lines, 4);
}

static bool UserStops()
{
    const wchar_t *lines[] = {Msg(MTitle), Msg(MStopQuestion), Msg(MStopDetail)};
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
