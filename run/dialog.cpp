#include "dialog.h"
#include "messages.h"

enum : uint32_t {
    Separator = TraitBoxColor | TraitSeparator,
};

const DialogShape ConversionDialog[DialogItemCount] = {
    {KindDoubleBox, 3, 1, 42, 10, 0, false, MsgTitle, nullptr},
    {KindRadioButton, 5, 2, 0, 0, TraitGroup, false, -1, "to &Unix"},
    {KindRadioButton, 5, 3, 0, 0, 0, false, -1, "to &Windows"},
    {KindText, 5, 4, 0, 0, Separator, false, -1, ""},
    {KindCheckBox, 5, 5, 0, 0, 0, false, MsgProcessSubDir, nullptr},
    {KindText, 5, 6, 0, 0, Separator, false, -1, ""},
    {KindCheckBox, 5, 7, 0, 0, 0, false, MsgThisRunOnly, nullptr},
    {KindText, 5, 8, 0, 0, Separator, false, -1, ""},
    {KindButton, 0, 9, 0, 0, TraitCenterGroup, true, MsgAccept, nullptr},
    {KindButton, 0, 9, 0, 0, TraitCenterGroup, false, MsgCancel, nullptr},
};

int ModeItem(DWORD mode)
{
    return mode == ModeToLf ? ToLfItem : ToCrLfItem;
}

bool ChosenSettings(bool toLf, bool toCrLf, bool subdirs, SettingsRecord &chosen)
{
    if (!toLf && !toCrLf)
        return false;
    chosen = {toLf ? DWORD(ModeToLf) : DWORD(ModeToCrLf), DWORD(subdirs)};
    return true;
}
