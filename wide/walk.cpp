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

std::wstring LongForm(const std::wstring &path)
{
    if (path.compare(0, 4, L"\\\\?\\") == 0)
        return path;
    if (path.compare(0, 2, L"\\\\") == 0)
        return L"\\\\?\\UNC\\" + path.substr(2);
    return L"\\\\?\\" + path;
}

enum : size_t {
    LongestPath = 32767,
    TempNameLength = 16, // cvt~XXXXXXXX.tmp
};

HANDLE CreateTemporary(const wchar_t *folder, wchar_t *name)
{
    static unsigned next = GetTickCount() ^ (GetCurrentProcessId() << 16);
    if (wcslen(folder) + TempNameLength >= LongestPath)
        return INVALID_HANDLE_VALUE;
    for (int tries = 0; tries < 100; tries++) {
        swprintf(name, LongestPath + 1, L"%lscvt~%08X.tmp", folder, next++);
        HANDLE made = CreateFileW(name, GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
        if (made != INVALID_HANDLE_VALUE || GetLastError() != ERROR_FILE_EXISTS)
            return made;
    }
    return INVALID_HANDLE_VALUE;
}

typedef BOOL(WINAPI *InformationByHandle)(HANDLE, FILE_INFO_BY_HANDLE_CLASS, void *, DWORD);

// Everything the rewrite asks of an open file but its volume, which it
// needs not: the temporary is made beside the file. Where the system has
// them, two queries of its own; the whole record costs far more (under
// Wine several times a file's conversion), for the volume alone.
static bool DescribeBeside(HANDLE file, BY_HANDLE_FILE_INFORMATION &info)
{
    static const InformationByHandle query =
        (InformationByHandle)(void *)GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "GetFileInformationByHandleEx");
    FILE_BASIC_INFO basic;
    FILE_STANDARD_INFO standard;
    if (!query)
        return GetFileInformationByHandle(file, &info);
    if (!query(file, FileBasicInfo, &basic, sizeof basic) || !query(file, FileStandardInfo, &standard, sizeof standard))
        return false;
    info = BY_HANDLE_FILE_INFORMATION();
    info.dwFileAttributes = basic.FileAttributes;
    info.ftCreationTime = {DWORD(basic.CreationTime.QuadPart), DWORD(basic.CreationTime.QuadPart >> 32)};
    info.ftLastWriteTime = {DWORD(basic.LastWriteTime.QuadPart), DWORD(basic.LastWriteTime.QuadPart >> 32)};
    info.nFileSizeHigh = DWORD(standard.EndOfFile.QuadPart >> 32);
    info.nFileSizeLow = DWORD(standard.EndOfFile.QuadPart);
    info.nNumberOfLinks = standard.NumberOfLinks;
    return true;
}

Outcome RewriteWide(const std::wstring &path, const FileIdentity *expected, DWORD mode, const ConvertAreas &areas)
{
    static wchar_t tempName[LongestPath + 1];
    std::wstring full = LongForm(path);
    size_t slash = full.rfind(L'\\');
    if (full.size() >= LongestPath)
        return PathTooLong;
    const RewriteJob job = {mode, areas, expected, DescribeBeside, true};
    // The temporary goes beside the file, so the move never crosses volumes.
    std::wstring folder = full.substr(0, slash + 1);
    bool otherVolume;
    return RewriteThrough(folder.c_str(), full.c_str(), tempName, job, otherVolume);
}

static bool IsLinkedFolder(DWORD attributes)
{
    const DWORD linkedDir = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT;
    return (attributes & linkedDir) == linkedDir;
}

static bool StartsWith(const std::wstring &path, const std::wstring &head)
{
    return path.size() > head.size() && _wcsnicmp(path.c_str(), head.c_str(), head.size()) == 0;
}

static Entry EntryOf(const PluginPanelItem &item)
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
    std::wstring below = folder.back() == L'\\' ? folder : folder + L'\\';
    std::vector<std::wstring> links;
    std::unordered_set<std::wstring> seen;
    for (size_t i = 0; i < count && !Run.stopped; i++) {
        Entry entry = EntryOf(items[i]);
        if (!StartsWith(entry.path, below))
            continue;
        bool belowALink = false;
        for (const std::wstring &link : links)
            belowALink = belowALink || StartsWith(entry.path, link + L'\\');
        if (belowALink)
            continue;
        if (IsLinkedFolder(entry.attributes)) {
            links.push_back(entry.path);
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

void ProcessSelected(const Entry &entry)
{
    if (Choices.ProcessSubDir && (entry.attributes & FILE_ATTRIBUTE_DIRECTORY))
        Report(entry.path, WalkFolder(entry));
    else if (entry.attributes & FILE_ATTRIBUTE_DIRECTORY)
        Report(entry.path, LeftAlone);
    else
        ConvertOne(entry);
}
