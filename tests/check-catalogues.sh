#!/usr/bin/env bash
# The message catalogues against the one list of message numbers: each
# catalogue names the messages in the order of the enums, and a text both
# modules share reads the same in both, whatever the file's encoding (the
# single-byte module's Russian is cp866, the wide module's files UTF-8
# with a byte-order mark). Only the reason for a name that no longer
# leads to the listed file is worded per module, as each says it.
set -euo pipefail
top=$1
differs_by_design=MsgNameUnusable

# The enumerators of a header, in order.
names() { sed -n '/^enum [A-Za-z]* {/,/^};/p' "$1" | grep -o '^ *Msg[A-Za-z0-9_]*' | tr -d ' ' | grep -vx MsgSharedCount; }
# The ids of a catalogue, in order.
ids() { grep -a '^//Msg' "$1" | sed 's#^//##; s#\r##'; }
# id<TAB>text for each message of a catalogue, as UTF-8.
texts() { sed '1s/^\xEF\xBB\xBF//' | awk '/^\/\/Msg/ { id = substr($0, 3); next } /^"/ && id { print id "\t" $0; id = "" }'; }

status=0
fail() { echo "check-catalogues: $*" >&2; status=1; }

shared=$(names "$top/run/messages.h")
wide=$(printf '%s\n%s\n' "$shared" "$(names "$top/far3/messages.h")")
for language in Eng Rus; do
    far1=$top/lang/far1/Quillmere$language.lng far3=$top/lang/far3/Quillmere$language.lng
    [ "$(ids "$far1")" = "$shared" ] || fail "$far1 does not list the shared messages in their order"
    [ "$(ids "$far3")" = "$wide" ] || fail "$far3 does not list the wide module's messages in their order"
    head -c 3 "$far3" | cmp -s - <(printf '\xEF\xBB\xBF') || fail "$far3 has no UTF-8 byte-order mark"
    if [ $language = Rus ]; then
        iconv -f utf-8 -t utf-8 "$far1" >/dev/null 2>&1 && fail "$far1 is not cp866"
        one=$(iconv -f cp866 -t utf-8 "$far1" | texts)
    else
        one=$(texts <"$far1")
    fi
    other=$(texts <"$far3" | grep -F -f <(printf '%s\n' "$shared" | sed 's/$/\t/'))
    drift=$(diff <(printf '%s\n' "$one" | grep -v "^$differs_by_design	") \
                 <(printf '%s\n' "$other" | grep -v "^$differs_by_design	") || true)
    [ -z "$drift" ] || fail "the shared texts of $language drift apart:"$'\n'"$drift"
done
exit $status
