"""The chat's packet encoding for scripts that speak to it: the codec tables of docs/protocol.md."""


def encoder(protocol_md):
    """Returns a function from a plain packet text to the bytes of its datagram (zero byte included)."""
    tables = {}
    for line in open(protocol_md, encoding="ascii"):
        for name in ("TABLE_A:", "TABLE_B:"):
            if line.startswith(name):
                tables[name] = bytes(int(x, 16) for x in line[len(name):].split())
    encode = {}
    for i, byte in enumerate(tables["TABLE_A:"]):
        encode.setdefault(byte, tables["TABLE_B:"][i])
    return lambda text: bytes(encode.get(c, c) for c in text.encode("cp1251")) + b"\0"
