"""Sends packets as a stranger on the LAN would: sender fields written to order.

Usage: stranger_packets.py PROTOCOL_MD PLAIN_TEXT...
Each plain packet text ("ip(id)||name||avatar||target||page||command||body//end") goes to the
group once, encoded with the codec tables of docs/protocol.md, from this host's own address.
"""
import os
import socket
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "scripts"))
from wire_codec import encoder  # noqa: E402

packet = encoder(sys.argv[1])
s = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
for text in sys.argv[2:]:
    s.sendto(packet(text), ("225.0.0.1", 9010))
    time.sleep(0.05)
