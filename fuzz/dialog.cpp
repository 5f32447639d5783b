// Dialog items expanded from message texts of any length: the 512-byte
// field is never overrun and holds the text, cut at 511 characters.
#include "far1/command.h"
#include "far1/services.h"

#include <cstdlib>
#include <cstring>
#include <string>

static std::string Text;

static const char *WINAPI FuzzGetMsg(INT_PTR, int)
{
    return Text.c_str();
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    Text.assign((const char *)data, size);
    Text = Text.substr(0, Text.find('\0'));
    HostInfo.GetMsg = FuzzGetMsg;
    const DialogItemTemplate templates[2] = {
        {DI_TEXT, 1, 2, 3, 4, 0, 0, 0, 0, 5},
        {DI_TEXT, 1, 2, 3, 4, 0, 0, 0, 0, (uintptr_t)Text.c_str()},
    };
    FarDialogItem items[2];
    ExpandDialogTemplate(templates, items, 2);
    std::string expected = Text.substr(0, sizeof items[0].Data - 1);
    for (const FarDialogItem &item : items)
        if (memchr(item.Data, 0, sizeof item.Data) == nullptr || expected != item.Data)
            abort();
    return 0;
}
