"""Sends honest public messages from one made-up peer to the multicast group on lo.

Usage: flood_sender.py PROTOCOL_MD COUNT [HISTORY_GLOB]
The codec tables come from docs/protocol.md. The sender is paced so the socket buffer holds
what a slow receiver has not read yet; with HISTORY_GLOB it also waits while it is more than
300 messages ahead of what the receiver's history files hold.
"""
import glob
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


def packet(text):
    return bytes(encode.get(c, c) for c in text.encode("cp1251")) + b"\0"


def received(pattern):
    return sum(open(h, "rb").read().count(b"honest message number") for h in glob.glob(pattern))


s = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
s.setsockopt(socket.IPPROTO_IP, socket.IP_MULTICAST_LOOP, 1)
count = int(sys.argv[2])
history = sys.argv[3] if len(sys.argv) > 3 else None
for i in range(count):
    s.sendto(packet("10.0.0.9(FLOOD0000001)||Flood||||0.0||0||6||1:honest message number %d//end" % i),
             ("225.0.0.1", 9010))
    if i % 50 == 49:
        time.sleep(0.05)
        deadline = time.time() + 20
        while history and i + 1 - received(history) > 300 and time.time() < deadline:
            time.sleep(0.02)
