"""Numbered public lines for the sites benchmark: sends them, or notes when each arrives.

Usage:
  sites_probe.py send-udp PROTOCOL_MD OUT COUNT INTERVAL_MS        (to the group, from this host)
  sites_probe.py send-tcp PROTOCOL_MD OUT COUNT INTERVAL_MS RELAY [ADDRESS]
  sites_probe.py listen-udp OUT SECONDS
  sites_probe.py listen-tcp PROTOCOL_MD OUT SECONDS RELAY
OUT gets one line per line sent or received: "N MONOTONIC_NS". CLOCK_MONOTONIC is the kernel's,
the same in every network namespace, so send and arrival times compare across hosts.
"""
import os
import re
import socket
import struct
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "scripts"))
from wire_codec import encoder  # noqa: E402

GROUP, PORT, RELAY_PORT = "225.0.0.1", 9010, 9011


def own_address():
    probe = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
    probe.connect((GROUP, 9))
    return probe.getsockname()[0]


def line(packet, address, number):
    return packet("%s(BENCH%s)||Bench%s||||0.0||0||6||1:bench %d//end"
                  % (address, address.replace(".", ""), address.split(".")[-1], number))


def decoder(protocol_md):
    enc = encoder(protocol_md)
    table = {}
    for c in range(32, 127):
        table[enc(chr(c))[0]] = chr(c)
    return lambda data: "".join(table.get(b, "?") for b in data)


def send(mode, args):
    protocol_md, out, count, interval = args[0], args[1], int(args[2]), int(args[3]) / 1000.0
    packet = encoder(protocol_md)
    if mode == "send-udp":
        address = own_address()
        s = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
        put = lambda data: s.sendto(data, (GROUP, PORT))  # noqa: E731
    else:
        address = args[5] if len(args) > 5 else own_address()
        s = socket.create_connection((args[4], RELAY_PORT))
        put = s.sendall
    times = []
    start = time.monotonic()
    for n in range(count):
        # Paced against the start, so a slow send does not stretch the run.
        delay = start + n * interval - time.monotonic()
        if delay > 0:
            time.sleep(delay)
        times.append(time.monotonic_ns())
        put(line(packet, address, n))
    with open(out, "w") as f:
        f.writelines("%d %d\n" % (n, t) for n, t in enumerate(times))
    time.sleep(1)


def listen(mode, args):
    if mode == "listen-udp":
        out, seconds = args[0], float(args[1])
        s = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
        s.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
        s.bind((GROUP, PORT))
        s.setsockopt(socket.IPPROTO_IP, socket.IP_ADD_MEMBERSHIP,
                     struct.pack("4s4s", socket.inet_aton(GROUP), socket.inet_aton(own_address())))
        read = lambda: [s.recv(65536)]  # noqa: E731
        decode = None
    else:
        protocol_md, out, seconds, relay = args
        seconds = float(seconds)
        s = socket.create_connection((relay, RELAY_PORT))
        # A relay closes a connection that never speaks; this one says who it is once.
        s.sendall(encoder(protocol_md)("%s(LISTEN01)||Listener||||0.0||0||2||Listener//end" % s.getsockname()[0]))
        pending = [b""]

        def read():
            pending[0] += s.recv(65536)
            *whole, pending[0] = pending[0].split(b"\0")
            return whole
    decode = decoder(sys.argv[2] if mode == "listen-tcp" else os.path.join(
        os.path.dirname(os.path.abspath(__file__)), "..", "docs", "protocol.md"))
    pattern = re.compile(r"\|\|6\|\|1:bench (\d+)//end")
    arrivals = {}
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        s.settimeout(max(0.01, deadline - time.monotonic()))
        try:
            for data in read():
                m = pattern.search(decode(data.rstrip(b"\0")))
                if m:
                    n = int(m.group(1))
                    # A line that comes twice counts as two arrivals, so the report can say so.
                    arrivals.setdefault(n, []).append(time.monotonic_ns())
        except socket.timeout:
            pass
    with open(out, "w") as f:
        for n in sorted(arrivals):
            f.writelines("%d %d\n" % (n, t) for t in arrivals[n])


if __name__ == "__main__":
    (send if sys.argv[1].startswith("send") else listen)(sys.argv[1], sys.argv[2:])
