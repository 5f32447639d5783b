// Numbers of the texts in the module's message catalogues (lang/wide/*.lng),
// in the order the files list them.
#pragma once

enum WideMessages {
    MMenuItem,
    MAccept,
    MCancel,
    MTitle,
    MProcessSubDir,
    MWorking,
    MThisRunOnly,
    // The warning after a run that left entries unconverted.
    MNotConverted,
    MAndMore,
    // Why an entry was not converted, in the order of the outcomes from
    // ReadOnly on.
    MReadOnly,
    MLink,
    MHardLinks,
    MInUse,
    MUnreadable,
    MUnwritable,
    MNotReplaced,
    MNameUnusable,
    MPathTooLong,
    MNotListed,
    // A run on a panel that shows no files on disk.
    MNoFilesOnDisk,
    // Progress on long runs, and Esc.
    MFilesDone,
    MStopQuestion,
    MStopDetail,
};
