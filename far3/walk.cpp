// The walk. The host's listing of a folder is its whole subtree by full
// paths, links followed: a link can lead out of the folder and can bring
// files in twice. Only entries below the folder and not below a link are
// taken, and each at most once.
#include "walk.h"
#include "choice.h"
#include "progress.h"
#include "services.h"
#include "settings.h"
#include "../engine/rewrite.h"
#include "../run/listing.h"

#include <unordered_set>
#include <vector>

RunRecord Run;
RunReport<std::wstring> Unconverted;

void StartRun()
{
    Run = RunRecord();
    Unconverted.count = 0;
}

Entry EntryOf(const PluginPanelItem &item)
{
    FileIdentity identity = {DWORD(item.FileSize >> 32), DWORD(item.FileSize), item.CreationTime,
                             item.LastWriteTime};
    return {item.FileName ? item.FileName : L"", DWORD(item.FileAttributes), identity};
}

// A binary file met inside a selected folder is passed over in silence:
// the user asked for the folder's text. One selected by itself is named.
static void ConvertOne(const Entry &entry, bool selected)
{
    if (!Proceed(entry.path))
        return;
    ConvertRules rules = {Settings.ConvertMode, true, WideSettings.ConvertBinary != 0, ProceedInFile};
    Outcome outcome = RewriteWide(entry.path, &entry.identity, rules);
    if (outcome != BinaryFile || selected)
        Report(Unconverted, entry.path.c_str(), outcome);
    Run.done += outcome != Stopped;
    Run.converted += Done(outcome);
}

// Every file of the listing that the user's masks and filter take, that
// lies below the folder, not below a folder link (a link met inside is
// reported, not followed), and not met before.
static void ConvertListing(const std::wstring &folder, const PluginPanelItem *items, size_t count)
{
    std::vector<const wchar_t *> linkNames(count);
    std::vector<size_t> linkLengths(count);
    LinkFence<wchar_t> fence(linkNames.data(), linkLengths.data(), count);
    std::unordered_set<std::wstring> seen;
    std::vector<bool> wanted(count);
    for (size_t i = 0; i < count; i++) {
        wanted[i] = !(items[i].FileAttributes & FILE_ATTRIBUTE_DIRECTORY) && Wanted(items[i]);
        Run.listed += wanted[i];
    }
    auto entryAt = [items](size_t i) {
        const wchar_t *name = items[i].FileName ? items[i].FileName : L"";
        DWORD attributes = DWORD(items[i].FileAttributes);
        bool link = IsLinkedFolder(attributes) && LinksToAnotherName(LongForm(name).c_str());
        return ListedName<wchar_t>{name, TextLength(name), attributes, link};
    };
    PassOverSubtree(fence, count, entryAt, [&](size_t i, Listed what) {
        Entry entry = EntryOf(items[i]);
        if (!InsideFolder(entry.path.c_str(), folder.c_str()))
            return true;
        if (what == Listed::Link)
            Report(Unconverted, entry.path.c_str(), ALink);
        else if (wanted[i] && seen.insert(entry.path).second)
            ConvertOne(entry, false);
        return !Run.stopped;
    });
}

// A listing of the host's, handed back however the walk ends.
struct HeldListing {
    PluginPanelItem *items = nullptr;
    size_t count = 0;
    ~HeldListing()
    {
        if (items)
            Far.FreeDirList(items, count);
    }
};

// The host refuses a listing when the user stopped its scan with Esc, or
// when the folder cannot be read; a folder the system still lists was
// stopped by the user, and so is the run.
static Outcome ListingRefused(const std::wstring &longFolder)
{
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((longFolder + L"\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return NotListed;
    FindClose(search);
    Run.stopped = true;
    return Stopped;
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
    HeldListing listing;
    if (!Far.GetDirList(entry.path.c_str(), &listing.items, &listing.count))
        return ListingRefused(full);
    ConvertListing(entry.path, listing.items, listing.count);
    return Converted;
}

bool ProcessSelected(const Entry &entry)
{
    if (!(entry.attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        Run.listed++;
        ConvertOne(entry, true);
    } else if (Settings.ProcessSubDir) {
        Report(Unconverted, entry.path.c_str(), WalkFolder(entry));
    } else {
        return false;
    }
    return true;
}
