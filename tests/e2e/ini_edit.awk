# Sets or deletes one key of an ini file; the values come from the environment so that
# backslashes and other special characters pass unchanged.
BEGIN {
    section = ENVIRON["INI_SECTION"]; key = ENVIRON["INI_KEY"]; value = ENVIRON["INI_VALUE"]
    del = ENVIRON["INI_DELETE"] != ""
    eol = "\n"; inside = 0; done = 0; seen = 0
}
{
    line = $0
    if (sub(/\r$/, "", line)) eol = "\r\n"
    if (line ~ /^[ \t]*\[.*\][ \t]*$/) {
        if (inside && !done && !del) { printf "%s=%s%s", key, value, eol; done = 1 }
        name = line; gsub(/^[ \t]*\[|\][ \t]*$/, "", name)
        inside = toupper(name) == toupper(section)
        if (inside) seen = 1
        printf "%s%s", line, eol
        next
    }
    if (inside && !done) {
        k = line; sub(/=.*/, "", k); gsub(/^[ \t]+|[ \t]+$/, "", k)
        if (index(line, "=") && toupper(k) == toupper(key)) {
            if (!del) printf "%s=%s%s", key, value, eol
            done = 1
            next
        }
    }
    printf "%s%s", line, eol
}
END {
    if (del || done) exit
    if (!seen) printf "[%s]%s", section, eol
    printf "%s=%s%s", key, value, eol
}
