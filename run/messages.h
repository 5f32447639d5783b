// Numbers of the texts both modules' catalogues hold, in the order the
// files list them; a module's own texts follow MsgSharedCount.
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
    // Why an entry was not converted; ReasonMessage maps each outcome.
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
    MsgChangedMeanwhile,
    MsgSharedCount
};
