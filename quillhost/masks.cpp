#include "masks.h"

#include <cwctype>
#include <vector>

static std::wstring Trimmed(const std::wstring &text)
{
    size_t first = text.find_first_not_of(L' '), last = text.find_last_not_of(L' ');
    return first == std::wstring::npos ? L"" : text.substr(first, last - first + 1);
}

// The masks of one side of "|", blanks between separators dropped.
static std::vector<std::wstring> MasksIn(const std::wstring &part)
{
    std::vector<std::wstring> masks;
    size_t start = 0;
    for (size_t i = 0; i <= part.size(); i++)
        if (i == part.size() || part[i] == L',' || part[i] == L';') {
            std::wstring mask = Trimmed(part.substr(start, i - start));
            if (!mask.empty())
                masks.push_back(mask == L"*.*" ? L"*" : mask);
            start = i + 1;
        }
    return masks;
}

static bool SameLetter(wchar_t a, wchar_t b)
{
    return std::towlower(a) == std::towlower(b);
}

// [abc] or [a-z]; at is just past "[", and is left past "]".
static bool InClass(const std::wstring &mask, size_t &at, wchar_t c)
{
    bool in = false;
    for (; at < mask.size() && mask[at] != L']'; at++)
        if (at + 2 < mask.size() && mask[at + 1] == L'-' && mask[at + 2] != L']') {
            in = in || (std::towlower(c) >= std::towlower(mask[at]) && std::towlower(c) <= std::towlower(mask[at + 2]));
            at += 2;
        } else {
            in = in || SameLetter(c, mask[at]);
        }
    at++;
    return in;
}

static bool Matches(const std::wstring &mask, size_t m, const std::wstring &name, size_t n)
{
    for (; m < mask.size(); n++) {
        if (mask[m] == L'*') {
            for (size_t rest = n; rest <= name.size(); rest++)
                if (Matches(mask, m + 1, name, rest))
                    return true;
            return false;
        }
        if (n == name.size())
            return false;
        if (mask[m] == L'[') {
            m++;
            if (!InClass(mask, m, name[n]))
                return false;
        } else if (mask[m] == L'?' || SameLetter(mask[m], name[n])) {
            m++;
        } else {
            return false;
        }
    }
    return n == name.size();
}

// The masks before "|" and those after it.
static void Sides(const std::wstring &list, std::vector<std::wstring> &taken, std::vector<std::wstring> &left)
{
    size_t bar = list.find(L'|');
    taken = MasksIn(list.substr(0, bar));
    left = MasksIn(bar == std::wstring::npos ? L"" : list.substr(bar + 1));
}

bool MaskListValid(const std::wstring &list)
{
    size_t bars = 0;
    int open = 0;
    for (wchar_t c : list) {
        bars += c == L'|';
        if (c == L'[' && open++)
            return false;
        if (c == L']' && open)
            open--;
    }
    std::vector<std::wstring> taken, left;
    Sides(list, taken, left);
    return bars <= 1 && open == 0 && !(taken.empty() && left.empty());
}

bool MaskListMatches(const std::wstring &list, const std::wstring &name)
{
    std::vector<std::wstring> taken, left;
    Sides(list, taken, left);
    bool in = taken.empty();
    for (const std::wstring &mask : taken)
        in = in || Matches(mask, 0, name, 0);
    for (const std::wstring &mask : left)
        in = in && !Matches(mask, 0, name, 0);
    return in;
}
