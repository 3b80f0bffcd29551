#!/bin/sh
# Starts the options editor for this program folder; the chat passes the access argument.
dir=$(cd "$(dirname "$0")" && pwd) || exit 1
if [ -x "$dir/zeltooptions" ]; then
    editor="$dir/zeltooptions"
elif [ -x /usr/bin/zeltooptions ]; then
    editor=/usr/bin/zeltooptions
else
    editor=$(command -v zeltooptions) || { echo "option.cmd: zeltooptions not found" >&2; exit 127; }
fi
exec "$editor" --root "$dir" "$@"
