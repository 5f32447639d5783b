#include "model.h"

std::string ModelConvert(const std::string &in, DWORD mode)
{
    std::string out;
    for (size_t i = 0; i < in.size(); i++) {
        char c = in[i];
        if (c != '\r' && c != '\n') {
            out += c;
            continue;
        }
        if (i + 1 < in.size() && (in[i + 1] == '\r' || in[i + 1] == '\n') && in[i + 1] != c)
            i++;
        out += mode == 0 ? "\n" : "\r\n";
    }
    return out;
}
