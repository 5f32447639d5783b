// Hostile selections, one table for both modules: whatever the names, a
// run converts what the table says and touches nothing else of the sandbox.
#pragma once

#include "support.h"

#include <filesystem>
#include <map>
#include <ostream>
#include <string>
#include <vector>

struct BadInput {
    const char *name;
    std::vector<std::string> selection; // in the panel's folder, sandbox/panel
    bool dotsInListing;                 // the listing has "." and ".." (the old host's direct form)
    std::vector<std::string> converted; // relative to the sandbox
};

inline void PrintTo(const BadInput &b, std::ostream *os)
{
    *os << b.name;
}

inline const BadInput BadInputs[] = {
    {"DotDot", {".."}, false, {}},
    {"Dot", {"."}, false, {}},
    {"DotDotBehindBackslashes", {"..\\.."}, false, {}},
    {"ClimbingName", {"sub\\..\\..\\outside.txt"}, false, {}},
    // The host described no file at that name, so none is converted.
    {"BackslashNameLeadsToAnUnlistedFile", {"elsewhere\\in.txt"}, false, {}},
    {"NameBeyondThePathLimit", {std::string(300, 'n')}, false, {}},
    {"ListingWithDots", {"sub"}, true, {"panel/sub/deep.txt"}},
    {"EverythingAtOnce", {"..", ".", "in.txt", "sub", "..\\.."}, true, {"panel/in.txt", "panel/sub/deep.txt"}},
};

inline const std::string HostileCrLf = "a\r\nb\r\n", HostileLf = "a\nb\n";

// Every regular file below root and its bytes.
inline std::map<std::string, std::string> Contents(const std::string &root)
{
    namespace fs = std::filesystem;
    std::map<std::string, std::string> files;
    for (const fs::directory_entry &entry : fs::recursive_directory_iterator(root))
        if (entry.is_regular_file() && !entry.is_symlink())
            files[entry.path().lexically_relative(root).generic_string()] = ReadBytes(entry.path().string());
    return files;
}

// The sandbox's files, a file outside the panel's folder among them.
inline void MakeSandbox(const std::string &sandbox)
{
    MakeFolder(PathIn(sandbox, "panel/sub"));
    for (const char *name : {"outside.txt", "panel/in.txt", "panel/other.txt", "panel/sub/deep.txt"})
        WriteBytes(PathIn(sandbox, name), HostileCrLf);
}

// What the sandbox must hold after the run, from what it held before.
inline std::map<std::string, std::string> Expected(std::map<std::string, std::string> before, const BadInput &b)
{
    for (const std::string &file : b.converted)
        before[file] = HostileLf;
    return before;
}
