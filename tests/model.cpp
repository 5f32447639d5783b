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

// The same pairing, over 16-bit units in the given byte order; an odd last
// byte is no unit and stays.
static std::string ModelConvertUnits(const std::string &in, DWORD mode, bool bigEndian)
{
    auto unitAt = [&](size_t i) {
        unsigned char a = (unsigned char)in[i], b = (unsigned char)in[i + 1];
        return bigEndian ? unsigned(a) << 8 | b : unsigned(b) << 8 | a;
    };
    auto put = [&](std::string &out, unsigned unit) {
        char low = (char)(unit & 0xFF), high = (char)(unit >> 8);
        out += bigEndian ? std::string{high, low} : std::string{low, high};
    };
    std::string out;
    size_t i = 0;
    for (; i + 2 <= in.size(); i += 2) {
        unsigned unit = unitAt(i);
        if (unit != '\r' && unit != '\n') {
            out += in.substr(i, 2);
            continue;
        }
        if (i + 4 <= in.size() && (unitAt(i + 2) == '\r' || unitAt(i + 2) == '\n') && unitAt(i + 2) != unit)
            i += 2;
        if (mode != 0)
            put(out, '\r');
        put(out, '\n');
    }
    return out + in.substr(i);
}

std::string ModelConvertFile(const std::string &in, DWORD mode, bool binaryToo)
{
    auto starts = [&](const std::string &mark) { return in.compare(0, mark.size(), mark) == 0; };
    bool utf32 = starts(std::string("\xFF\xFE\0\0", 4)) || starts(std::string("\0\0\xFE\xFF", 4));
    if (!utf32 && (starts("\xFF\xFE") || starts("\xFE\xFF")))
        return ModelConvertUnits(in, mode, starts("\xFE\xFF"));
    if (!binaryToo && in.find('\0') != std::string::npos)
        return in;
    return ModelConvert(in, mode);
}
