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
    // The warning after a run that left entries unconverted.
    MsgNotConverted,
    MsgAndMore,
    // Why an entry was not converted, in the order of the outcomes from
    // ReadOnly on.
    MsgReadOnly,
    MsgLink,
    MsgHardLinks,
    MsgInUse,
    MsgUnreadable,
    MsgUnwritable,
    MsgNotReplaced,
    MsgNameUnusable,
    MsgPathTooLong,
    MsgNotListed,
    // A run on a panel that shows no files on disk.
    MsgNoFilesOnDisk,
};
