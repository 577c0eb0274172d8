#!/usr/bin/env python3
"""A phone page's WebSocket talk, for the real-window tests (127.0.0.1 only).

    wsclient.py PORT TOKEN press-press

says hello with the token, waits for the draw's state, presses (start), waits
until the scroll runs, presses again (stop), waits until the draw is over and
prints the last state. Fails (exit 1) when the server refuses or a step takes
longer than 10 seconds."""
import base64
import json
import os
import socket
import struct
import sys
import time


def send_text(sock, text):
    data = text.encode()
    mask = os.urandom(4)
    head = bytes([0x81, 0x80 | len(data)]) + mask
    sock.sendall(head + bytes(b ^ mask[i % 4] for i, b in enumerate(data)))


def recv_exact(sock, n):
    out = b""
    while len(out) < n:
        chunk = sock.recv(n - len(out))
        if not chunk:
            raise SystemExit("closed by the server")
        out += chunk
    return out


def recv_message(sock):
    first, second = recv_exact(sock, 2)
    length = second & 0x7F
    if length == 126:
        length = struct.unpack(">H", recv_exact(sock, 2))[0]
    elif length == 127:
        length = struct.unpack(">Q", recv_exact(sock, 8))[0]
    payload = recv_exact(sock, length)
    if first & 0x0F == 8:
        raise SystemExit("closed by the server: %r" % payload)
    return json.loads(payload.decode())


def wait_for(sock, predicate, what):
    deadline = time.time() + 10
    while time.time() < deadline:
        message = recv_message(sock)
        if message.get("role") != "controller":
            raise SystemExit("refused: %r" % message)
        if predicate(message):
            return message
    raise SystemExit("no state with " + what)


def main():
    port, token = int(sys.argv[1]), sys.argv[2]
    sock = socket.create_connection(("127.0.0.1", port), timeout=10)
    key = base64.b64encode(os.urandom(16)).decode()
    sock.sendall(("GET /ws HTTP/1.1\r\nHost: 127.0.0.1:%d\r\nUpgrade: websocket\r\n"
                  "Connection: Upgrade\r\nSec-WebSocket-Key: %s\r\n"
                  "Sec-WebSocket-Version: 13\r\n\r\n" % (port, key)).encode())
    head = b""
    while b"\r\n\r\n" not in head:
        head += recv_exact(sock, 1)
    if not head.startswith(b"HTTP/1.1 101"):
        raise SystemExit("no WebSocket: %r" % head)
    send_text(sock, "hello " + token)
    wait_for(sock, lambda m: "pool" in m and not m["busy"], "an idle draw")
    send_text(sock, "press " + token)
    wait_for(sock, lambda m: m.get("running"), "the scroll running")
    send_text(sock, "press " + token)
    last = wait_for(sock, lambda m: "pool" in m and not m["running"] and not m["busy"],
                    "the draw over")
    print(json.dumps(last, ensure_ascii=False))


if __name__ == "__main__":
    main()
