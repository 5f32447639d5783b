// Scaffolding shared by the test programs of both builds.
#pragma once

#include "engine/engine.h"
#include "model.h"
#include "platform/platform.h"

#include <string>

// A fresh, empty folder for the running test, below the working directory
// so that it shares a volume with the temporaries the rewrite makes there.
std::string Scratch();

std::string PathIn(const std::string &dir, const std::string &name);
void WriteBytes(const std::string &path, const std::string &bytes);
std::string ReadBytes(const std::string &path);
bool Exists(const std::string &path);
void MakeFolder(const std::string &path);
bool IsFolder(const std::string &path);

// How many cvt temporaries the working directory, or dir, holds; with
// remove, they are removed as well.
int CountTemporaries();
int CountTemporariesIn(const std::string &dir, bool remove);

struct FileTimes {
    FILETIME creation, access, write;
};
FileTimes TimesOf(const std::string &path);
// Moves a file's creation and last-write times one day into the past, so a
// rewrite that lost them would show.
void Backdate(const std::string &path);


// Converts bytes through ConvertLineBreaks with real files.
std::string ConvertThroughFiles(const std::string &in, DWORD mode);

// A registry root key no other test or run shares.
std::string FreshRootKey();

// A value as the registry holds it; type 0 and no bytes when absent.
struct StoredValue {
    DWORD type = 0;
    std::string bytes;
    bool present = false;
};
StoredValue QueryValue(const std::string &key, const char *name);
void StoreValue(const std::string &key, const char *name, DWORD type, const std::string &bytes);
std::string DwordBytes(DWORD value);
