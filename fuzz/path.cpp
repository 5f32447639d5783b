// JoinPath and LastComponent on arbitrary names, up to and past the buffer
// sizes, against a plain string model. Input: dir, a NUL, name.
#include "far1/walk.h"

#include <cstdlib>
#include <cstring>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    std::string input((const char *)data, size);
    size_t split = input.find('\0');
    if (split == std::string::npos)
        return 0;
    std::string dir = input.substr(0, split);
    std::string name = input.substr(split + 1);
    name = name.substr(0, name.find('\0'));

    size_t slash = name.rfind('\\');
    std::string last = slash == std::string::npos ? name : name.substr(slash + 1);
    if (LastComponent(name.c_str()) != last)
        abort();
    std::string joined = dir.empty() ? name : dir + (dir.back() == '\\' ? "" : "\\") + last;

    char out[MAX_PATH + 1];
    out[MAX_PATH] = 'X';
    bool fits = JoinPath(dir.c_str(), name.c_str(), out);
    if (out[MAX_PATH] != 'X' || fits != (joined.size() < MAX_PATH) || (fits && joined != out))
        abort();
    return 0;
}
