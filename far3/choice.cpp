#include "choice.h"
#include "services.h"
#include "settings.h"

static HANDLE Filter;

HeldFilter::HeldFilter()
{
    Filter = nullptr;
    if (Far.FileFilterControl && !Far.FileFilterControl(PANEL_NONE, FFCTL_CREATEFILEFILTER, FFT_CUSTOM, &Filter))
        Filter = nullptr;
}

HeldFilter::~HeldFilter()
{
    if (Filter)
        Far.FileFilterControl(Filter, FFCTL_FREEFILEFILTER, 0, nullptr);
    Filter = nullptr;
}

void OpenFiltersMenu()
{
    if (Filter)
        Far.FileFilterControl(Filter, FFCTL_OPENFILTERSMENU, 0, nullptr);
}

void StartChoosing()
{
    if (Filter && WideSettings.UseFilter)
        Far.FileFilterControl(Filter, FFCTL_STARTINGTOFILTER, 0, nullptr);
}

// The host's service matches the last component of the path only.
static bool NameMatches(const std::wstring &masks, const wchar_t *path)
{
    if (masks == L"*" || !Far.FSF->ProcessName)
        return true;
    return Far.FSF->ProcessName(masks.c_str(), const_cast<wchar_t *>(path), 0, PN_CMPNAMELIST | PN_SKIPPATH) != 0;
}

bool Wanted(const PluginPanelItem &item)
{
    if (!NameMatches(WideSettings.Masks, item.FileName ? item.FileName : L""))
        return false;
    return !WideSettings.UseFilter || !Filter ||
           Far.FileFilterControl(Filter, FFCTL_ISFILEINFILTER, 0, const_cast<PluginPanelItem *>(&item)) != 0;
}

std::wstring MasksOf(const wchar_t *text)
{
    std::wstring masks = text ? text : L"";
    size_t first = masks.find_first_not_of(L' '), last = masks.find_last_not_of(L' ');
    return first == std::wstring::npos ? L"*" : masks.substr(first, last - first + 1);
}

bool MasksValid(const std::wstring &masks, bool explain)
{
    FLAGS64 flags = PN_CHECKMASK | (explain ? FLAGS64(PN_SHOWERRORMESSAGE) : 0);
    return !Far.FSF->ProcessName || Far.FSF->ProcessName(masks.c_str(), nullptr, 0, flags) != 0;
}
