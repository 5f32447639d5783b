// Paths as the wide host hands them, the rewrite through them, and the
// walk from one selected entry down to file rewrites.
#pragma once

#include "../engine/engine.h"
#include "plugin3.h"

#include <string>
#include <vector>

enum : DWORD {
    // Where the conversion stops getting faster (quillbench measures it
    // block size by block size); written a block at a time, as a copy
    // writes, the areas stay near 1 MiB.
    WideBlockSize = 524288,
};

// An entry as the panel or a listing describes it, by its full path.
struct Entry {
    std::wstring path;
    DWORD attributes;
    FileIdentity identity;
};

// The \\?\ form of a full path, which Windows takes at any length.
std::wstring LongForm(const std::wstring &path);

// The folder as the head of the paths inside it: with one backslash at its
// end (a drive's root has it already); empty stays empty.
std::wstring FolderHead(const std::wstring &folder);
// Whether path lies below head (a FolderHead), letters in any case.
bool LiesBelow(const std::wstring &path, const std::wstring &head);

// An entry as the host describes it in a panel item or a listing.
Entry EntryOf(const PluginPanelItem &item);

// Converts the file at a full path through a temporary in its own folder.
Outcome RewriteWide(const std::wstring &path, const FileIdentity *expected, DWORD mode,
                    const ConvertAreas &areas = AreasFor<WideBlockSize, WideBlockSize>());

// Converts the file an entry names, or, with recursion on and a folder,
// every file below it once, never leaving the folder through a link.
void ProcessSelected(const Entry &entry);

struct UnconvertedEntry {
    std::wstring path;
    Outcome why;
};

// What the run did: files handled, and the first few it could not convert
// with how many there were.
struct RunRecord {
    size_t done;
    size_t unconvertedCount;
    std::vector<UnconvertedEntry> unconverted;
    bool stopped; // the user asked to stop; nothing more is touched
};

enum : size_t {
    ReportedEntries = 10,
};

extern RunRecord Run;

void StartRun();
void Report(const std::wstring &path, Outcome outcome);
