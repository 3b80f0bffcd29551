#!/bin/sh
# Starts the options editor for this program folder; the chat passes the access argument.
# The editor is looked for beside this file, beside the chat program that started it (a build
# or install tree whose program folder lies elsewhere), in /usr/bin and on PATH.
dir=$(cd "$(dirname "$0")" && pwd) || exit 1
chat=$(readlink "/proc/$PPID/exe" 2>/dev/null) && chatdir=$(dirname "$chat") || chatdir=
if [ -x "$dir/zeltooptions" ]; then
    editor="$dir/zeltooptions"
elif [ -n "$chatdir" ] && [ -x "$chatdir/zeltooptions" ]; then
    editor="$chatdir/zeltooptions"
elif [ -x /usr/bin/zeltooptions ]; then
    editor=/usr/bin/zeltooptions
else
    editor=$(command -v zeltooptions) || {
        echo "option.cmd: zeltooptions not found beside $dir, beside ${chatdir:-the chat}, in /usr/bin or on PATH" >&2
        exit 127
    }
fi
exec "$editor" --root "$dir" "$@"
