// Numbers of the texts of the wide module's own, after those both modules'
// catalogues share (lang/far3/*.lng lists them in this order).
#pragma once

#include "../run/messages.h"

enum WideMessages {
    // Progress on long runs, and Esc.
    MsgFilesDone = MsgSharedCount,
    MsgStopQuestion,
    MsgStopDetail,
    // Binary files: the dialog's box, and the reason for one selected.
    MsgConvertBinary,
    MsgBinaryFile,
    // Progress inside a large file.
    MsgMiBRead,
    // Which files inside selected folders: masks and the host's filter.
    MsgFileMasks,
    MsgUseFilter,
    MsgFilter,
};
