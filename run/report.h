// The entries a run could not convert: how many, and the first few with
// their reasons, for the warning at the end of the run. The single-byte
// module keeps each path in a fixed buffer, the wide one in a string.
#pragma once

#include "../engine/engine.h"
#include "names.h"

#include <string>

enum : size_t {
    ReportedEntries = 10,
};

// A path cut at MAX_PATH - 1 characters.
struct FixedPath {
    char text[MAX_PATH];
};

inline void KeepPath(FixedPath &kept, const char *path)
{
    CopyName(path, sizeof kept.text, kept.text);
}
inline void KeepPath(std::wstring &kept, const wchar_t *path)
{
    kept = path;
}
inline const char *PathText(const FixedPath &kept)
{
    return kept.text;
}
inline const wchar_t *PathText(const std::wstring &kept)
{
    return kept.c_str();
}

template <class Path> struct UnconvertedEntry {
    Path path;
    Outcome why;
};

template <class Path> struct RunReport {
    size_t count;
    UnconvertedEntry<Path> first[ReportedEntries];

    size_t Listed() const { return count < ReportedEntries ? count : ReportedEntries; }
};

// Notes path unless the outcome is done, LeftAlone, or the user's stop.
template <class Path, class Char> void Report(RunReport<Path> &report, const Char *path, Outcome outcome)
{
    if (Done(outcome) || outcome == LeftAlone || outcome == Stopped)
        return;
    if (report.count < ReportedEntries) {
        KeepPath(report.first[report.count].path, path);
        report.first[report.count].why = outcome;
    }
    report.count++;
}

// The catalogue's text, of those both modules have, for why an entry was
// not converted.
int ReasonMessage(Outcome why);
