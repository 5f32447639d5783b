#include "report.h"
#include "messages.h"

int ReasonMessage(Outcome why)
{
    static const struct {
        Outcome why;
        Messages text;
    } reasons[] = {
        {ReadOnly, MsgReadOnly},         {ALink, MsgLink},
        {HardLinked, MsgHardLinks},      {InUse, MsgInUse},
        {Unreadable, MsgUnreadable},     {Unwritable, MsgUnwritable},
        {NotReplaced, MsgNotReplaced},   {NameUnusable, MsgNameUnusable},
        {PathTooLong, MsgPathTooLong},   {NotListed, MsgNotListed},
        {ChangedMeanwhile, MsgChangedMeanwhile},
    };
    for (const auto &reason : reasons)
        if (reason.why == why)
            return reason.text;
    return MsgNotReplaced;
}
