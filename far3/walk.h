// Paths as the wide host hands them, the rewrite through them, and the
// walk from one selected entry down to file rewrites.
#pragma once

#include "../engine/engine.h"
#include "../run/report.h"
#include "plugin.h"

#include <string>

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

// An entry as the host describes it in a panel item or a listing.
Entry EntryOf(const PluginPanelItem &item);

// Converts the file at a full path through a temporary in its own folder,
// unless it needs no change.
Outcome RewriteWide(const std::wstring &path, const FileIdentity *expected, const ConvertRules &rules,
                    const ConvertAreas &areas = AreasFor<WideBlockSize, WideBlockSize>());

// Converts the file an entry names, or, with recursion on and a folder,
// every file below it once, never leaving the folder through a link; false
// for a folder left alone, without recursion.
bool ProcessSelected(const Entry &entry);

// What the run did beside what it could not convert.
struct RunRecord {
    size_t done;      // files handled
    size_t converted; // of those, the ones converted or already in the form asked for
    size_t listed;    // files the selection and the listings gave so far
    bool stopped;     // the user asked to stop; nothing more is touched
};

extern RunRecord Run;
extern RunReport<std::wstring> Unconverted;

void StartRun();
