// Numbers of the texts in the module's message catalogues (Quillmere*.lng),
// in the order the files list them.
#pragma once

enum Messages {
    MsgMenuItem,
    MsgAccept,
    MsgCancel,
    MsgTitle,
    MsgProcessSubDir,
    MsgWorking,
    MsgThisRunOnly,
};
