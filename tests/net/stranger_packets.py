"""Sends packets as a stranger on the LAN would: sender fields written to order.

Usage: stranger_packets.py PROTOCOL_MD PLAIN_TEXT...
Each plain packet text ("ip(id)||name||avatar||target||page||command||body//end") goes to the
group once, encoded with the codec tables of docs/protocol.md, from this host's own address.
"""
import socket
import sys
import time

tables = {}
for line in open(sys.argv[1], encoding="ascii"):
    for name in ("TABLE_A:", "TABLE_B:"):
        if line.startswith(name):
            tables[name] = bytes(int(x, 16) for x in line[len(name):].split())
encode = {}
for i, byte in enumerate(tables["TABLE_A:"]):
    encode.setdefault(byte, tables["TABLE_B:"][i])

s = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
for text in sys.argv[2:]:
    s.sendto(bytes(encode.get(c, c) for c in text.encode("cp1251")) + b"\0", ("225.0.0.1", 9010))
    time.sleep(0.05)
