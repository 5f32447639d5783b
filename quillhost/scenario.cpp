#include "drive.h"

#ifdef _WIN32
#include <windows.h>
#endif

#include <fstream>

// Radio buttons and check boxes are counted in the order the dialog lists
// them, as a user reads them from the top: the first box is the
// recursion's, the last "this run only", and the wide module's dialog has
// the one for binary files and the one for the host's filter between them.
static DrawnItem *NthItemOfType(std::vector<DrawnItem> &items, int type, int n)
{
    for (DrawnItem &item : items)
        if (item.type == type && --n == 0)
            return &item;
    return nullptr;
}

void AnswerDialog(std::vector<DrawnItem> &items, const Scenario &user)
{
    if (DrawnItem *radio = NthItemOfType(items, DrawnRadioButton, user.pickRadio)) {
        for (DrawnItem &item : items)
            if (item.type == DrawnRadioButton)
                item.selected = 0;
        radio->selected = 1;
    }
    if (DrawnItem *box = NthItemOfType(items, DrawnCheckBox, 1); box && user.subdirs >= 0)
        box->selected = user.subdirs;
    int boxes = 0;
    for (const DrawnItem &item : items)
        boxes += item.type == DrawnCheckBox;
    if (DrawnItem *box = NthItemOfType(items, DrawnCheckBox, 2); box && boxes >= 3 && user.binaryToo >= 0)
        box->selected = user.binaryToo;
    if (DrawnItem *box = NthItemOfType(items, DrawnCheckBox, 3); box && boxes == 4 && user.useFilter >= 0)
        box->selected = user.useFilter;
    if (DrawnItem *line = NthItemOfType(items, DrawnEdit, 1); line && user.typeMasks)
        line->text = user.masks;
    if (DrawnItem *box = NthItemOfType(items, DrawnCheckBox, boxes); box && boxes > 1 && user.thisRunOnly)
        box->selected = 1;
}

int ClosingIndex(const std::vector<DrawnItem> &items, const Scenario &user)
{
    if (user.close == DialogClose::Escape)
        return -1;
    for (size_t i = 0; i < items.size(); i++)
        if (items[i].type == DrawnButton && items[i].defaultButton == (user.close == DialogClose::Accept))
            return (int)i;
    return -1;
}

bool ReadCatalogue(const std::string &path, std::vector<std::string> &messages, std::string &language)
{
    std::ifstream in(path, std::ios::binary);
    std::string line;
    if (!in || !std::getline(in, line))
        return false;
    if (line.rfind("\xEF\xBB\xBF", 0) == 0)
        line.erase(0, 3);
    if (line.rfind(".Language=", 0) != 0)
        return false;
    language = line.substr(10, line.find(',') - 10);
    messages.clear();
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.size() < 2 || line.front() != '"' || line.back() != '"')
            continue;
        messages.push_back(line.substr(1, line.size() - 2));
    }
    return true;
}

std::string HostPath(const std::string &native)
{
    std::string path = native;
    for (char &c : path)
        if (c == '/')
            c = '\\';
    return path;
}

std::string NativeOf(const std::string &hostPath)
{
#ifdef _WIN32
    return hostPath;
#else
    std::string path = hostPath;
    for (char &c : path)
        if (c == '\\')
            c = '/';
    return path;
#endif
}

// Everything printed is UTF-8. A Windows console is handed it as UTF-16,
// since the console would otherwise read the bytes in its own code page.
void Print(const std::string &text)
{
#ifdef _WIN32
    HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
    DWORD mode;
    if (GetConsoleMode(out, &mode)) {
        std::wstring wide(text.size(), L'\0');
        int length = MultiByteToWideChar(CP_UTF8, 0, text.data(), (int)text.size(), wide.data(), (int)wide.size());
        DWORD written;
        WriteConsoleW(out, wide.data(), (DWORD)length, &written, nullptr);
        return;
    }
#endif
    fwrite(text.data(), 1, text.size(), stdout);
}
