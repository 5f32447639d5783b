#include "dialog.h"
#include "messages.h"

enum : uint32_t {
    Separator = TraitBoxColor | TraitSeparator,
};

DialogLayout LayOutDialog(const OwnItems &own)
{
    DialogLayout d = {};
    unsigned char y = 2;
    // An item past the array is left out, and read back as -1.
    auto add = [&d](const DialogShape &shape) {
        if (d.count == MostDialogItems)
            return -1;
        d.items[d.count] = shape;
        return d.count++;
    };
    auto checkBox = [&](int message) { return add({KindCheckBox, 5, y++, 0, 0, 0, false, message, nullptr}); };
    auto separator = [&] { add({KindText, 5, y++, 0, 0, Separator, false, -1, ""}); };
    add({KindDoubleBox, 3, 1, 42, 0, 0, false, MsgTitle, nullptr});
    d.toLf = add({KindRadioButton, 5, y++, 0, 0, TraitGroup, false, -1, "to &Unix"});
    d.toCrLf = add({KindRadioButton, 5, y++, 0, 0, 0, false, -1, "to &Windows"});
    separator();
    d.subDir = checkBox(MsgProcessSubDir);
    d.binaryToo = own.binaryToo >= 0 ? checkBox(own.binaryToo) : -1;
    separator();
    d.masks = d.useFilter = d.filter = -1;
    if (own.masks >= 0) {
        add({KindText, 5, y++, 0, 0, 0, false, own.masks, nullptr});
        // The history's arrow takes the column after the line.
        d.masks = add({KindEdit, 5, y++, 39, 0, TraitHistory, false, -1, ""});
        unsigned char row = y;
        d.useFilter = checkBox(own.useFilter);
        d.filter = add({KindButton, 28, row, 0, 0, TraitNoClose, false, own.filter, nullptr});
        separator();
    }
    d.thisRunOnly = checkBox(MsgThisRunOnly);
    separator();
    d.accept = add({KindButton, 0, y, 0, 0, TraitCenterGroup, true, MsgAccept, nullptr});
    add({KindButton, 0, y, 0, 0, TraitCenterGroup, false, MsgCancel, nullptr});
    d.items[0].y2 = (unsigned char)(y + 1);
    d.width = 46;
    d.height = y + 3;
    return d;
}

int ModeItem(const DialogLayout &dialog, DWORD mode)
{
    return mode == ModeToLf ? dialog.toLf : dialog.toCrLf;
}

bool ChosenSettings(bool toLf, bool toCrLf, bool subdirs, SettingsRecord &chosen)
{
    if (!toLf && !toCrLf)
        return false;
    chosen = {toLf ? DWORD(ModeToLf) : DWORD(ModeToCrLf), DWORD(subdirs)};
    return true;
}
