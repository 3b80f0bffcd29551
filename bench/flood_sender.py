"""Sends honest public messages from one made-up peer to the multicast group on lo.

Usage: flood_sender.py PROTOCOL_MD COUNT [HISTORY_GLOB]
The codec tables come from docs/protocol.md. The sender is paced so the socket buffer holds
what a slow receiver has not read yet; with HISTORY_GLOB it also waits while it is more than
300 messages ahead of what the receiver's history files hold.
"""
import glob
import os
import socket
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "scripts"))
from wire_codec import encoder  # noqa: E402

packet = encoder(sys.argv[1])


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
