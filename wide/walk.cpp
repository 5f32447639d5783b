// The walk. The host's listing of a folder is its whole subtree by full
// paths, links followed: a link can lead out of the folder and can bring
// files in twice. Only entries below the folder and not below a link are
// taken, and each at most once.
#include "walk.h"
#include "choices.h"
#include "progress.h"
#include "services.h"
#include "../engine/rewrite.h"

#include <cwchar>
#include <unordered_set>

RunRecord Run;

void StartRun()
{
    Run = RunRecord();
}

void Report(const std::wstring &path, Outcome outcome)
{
    if (outcome == Converted || outcome == LeftAlone)
        return;
    if (Run.unconverted.size() < ReportedEntries)
        Run.unconverted.push_back({path, outcome});
    Run.unconvertedCount++;
}

static bool IsLinkedFolder(DWORD attributes)
{
    const DWORD linkedDir = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT;
    return (attributes & linkedDir) == linkedDir;
}

std::wstring FolderHead(const std::wstring &folder)
{
    return folder.empty() || folder.back() == L'\\' ? folder : folder + L'\\';
}

bool LiesBelow(const std::wstring &path, const std::wstring &head)
{
    return path.size() > head.size() && _wcsnicmp(path.c_str(), head.c_str(), head.size()) == 0;
}

Entry EntryOf(const PluginPanelItem &item)
{
    FileIdentity identity = {DWORD(item.FileSize >> 32), DWORD(item.FileSize), item.CreationTime,
                             item.LastWriteTime};
    return {item.FileName ? item.FileName : L"", DWORD(item.FileAttributes), identity};
}

static void ConvertOne(const Entry &entry)
{
    if (!Proceed(entry.path))
        return;
    Report(entry.path, RewriteWide(entry.path, &entry.identity, DWORD(Choices.ConvertMode)));
    Run.done++;
}

// Every file of the listing that lies below the folder, not below a folder
// link (a link met inside is reported, not followed), and not met before.
static void ConvertListing(const std::wstring &folder, const PluginPanelItem *items, size_t count)
{
    const std::wstring below = FolderHead(folder);
    std::vector<std::wstring> links; // each as a FolderHead
    std::unordered_set<std::wstring> seen;
    for (size_t i = 0; i < count && !Run.stopped; i++) {
        Entry entry = EntryOf(items[i]);
        if (!LiesBelow(entry.path, below))
            continue;
        bool belowALink = false;
        for (const std::wstring &link : links)
            belowALink = belowALink || LiesBelow(entry.path, link);
        if (belowALink)
            continue;
        if (IsLinkedFolder(entry.attributes)) {
            links.push_back(FolderHead(entry.path));
            Report(entry.path, ALink);
        } else if (!(entry.attributes & FILE_ATTRIBUTE_DIRECTORY) && seen.insert(entry.path).second) {
            ConvertOne(entry);
        }
    }
}

static Outcome WalkFolder(const Entry &entry)
{
    std::wstring full = LongForm(entry.path);
    Outcome outcome = CheckFolder(full.c_str(), entry.identity.creation);
    // A selected link to a folder may be shown with its own times rather
    // than those of the folder it leads to.
    if (outcome == NameUnusable && (entry.attributes & FILE_ATTRIBUTE_REPARSE_POINT))
        outcome = CheckFolder(full.c_str(), entry.identity.creation, FILE_FLAG_OPEN_REPARSE_POINT);
    if (outcome != Converted)
        return outcome;
    PluginPanelItem *items = nullptr;
    size_t count = 0;
    if (!Far.GetDirList(entry.path.c_str(), &items, &count))
        return NotListed;
    ConvertListing(entry.path, items, count);
    Far.FreeDirList(items, count);
    return Converted;
}

// A folder without recursion is left alone.
void ProcessSelected(const Entry &entry)
{
    if (!(entry.attributes & FILE_ATTRIBUTE_DIRECTORY))
        ConvertOne(entry);
    else if (Choices.ProcessSubDir)
        Report(entry.path, WalkFolder(entry));
}
