"""Counts the chat group's datagrams on this host's segment.

Usage: group_counter.py OUT_FILE
Rewrites OUT_FILE every second with one line:
  datagrams N sources S repeated K
where K counts datagrams whose bytes had come from another source within the last 5 s: the same
packet put on the segment twice (a sender repeating itself is no repeat).
"""
import hashlib
import os
import socket
import struct
import sys
import time

WINDOW = 5.0
out = sys.argv[1]
s = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
s.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
s.bind(("225.0.0.1", 9010))
# The first non-loopback address of this namespace is the segment's.
probe = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
probe.connect(("225.0.0.1", 9))
local = probe.getsockname()[0]
s.setsockopt(socket.IPPROTO_IP, socket.IP_ADD_MEMBERSHIP, struct.pack("4s4s", socket.inet_aton("225.0.0.1"),
                                                                      socket.inet_aton(local)))
s.settimeout(1.0)
seen = {}  # digest -> (source, time)
total = repeated = 0
sources = set()
written = 0.0
while True:
    try:
        data, (source, _) = s.recvfrom(65536)
        now = time.monotonic()
        total += 1
        sources.add(source)
        digest = hashlib.sha1(data).digest()
        last = seen.get(digest)
        if last and last[0] != source and now - last[1] < WINDOW:
            repeated += 1
        seen[digest] = (source, now)
    except socket.timeout:
        pass
    if time.monotonic() - written >= 1.0:
        with open(out + ".tmp", "w") as f:
            f.write("datagrams %d sources %d repeated %d\n" % (total, len(sources), repeated))
        os.replace(out + ".tmp", out)
        written = time.monotonic()
