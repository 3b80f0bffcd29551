"""Screenshots as the desktop runs read them: binary PPM files and runs of nearby numbers."""
import sys


def load(path):
    """(width, height, RGB bytes) of an 8-bit binary PPM."""
    data = open(path, "rb").read()
    fields, i = [], 0
    while len(fields) < 4:
        while data[i:i + 1].isspace():
            i += 1
        if data[i:i + 1] == b"#":
            while data[i:i + 1] not in (b"\n", b""):
                i += 1
            continue
        j = i
        while not data[j:j + 1].isspace():
            j += 1
        fields.append(data[i:j])
        i = j
    w, h = int(fields[1]), int(fields[2])
    if fields[0] != b"P6" or int(fields[3]) != 255:
        sys.exit("not an 8-bit PPM: " + path)
    return w, h, data[i + 1:i + 1 + w * h * 3]


def runs(values, gap):
    """Sorted values joined into [first, last] runs wherever the step is at most gap."""
    out = []
    for v in sorted(values):
        if out and v - out[-1][1] <= gap:
            out[-1][1] = v
        else:
            out.append([v, v])
    return out
