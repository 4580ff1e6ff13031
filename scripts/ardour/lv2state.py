#!/usr/bin/env python3
"""Reads or replaces the state block in an LV2 state file Ardour saved for
Zephyrine: the plug-in keeps it as one string in the framework's own base64
("<size>.<characters>", 6 bits a character, least significant first).
  lv2state.py read STATE.ttl           prints the block's text
  lv2state.py write STATE.ttl TEXT     stores a block holding TEXT"""
import re
import sys

ALPHABET = ".ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+"
KEY = re.compile(r'(StateString> ")([^"]*)(")')

def encode(data):
    n = int.from_bytes(data, "little")
    count = (len(data) * 8 + 5) // 6
    return "%d.%s" % (len(data), "".join(ALPHABET[(n >> (6 * i)) & 63] for i in range(count)))

def decode(text):
    size, _, chars = text.partition(".")
    n = sum(ALPHABET.index(c) << (6 * i) for i, c in enumerate(chars))
    return n.to_bytes((len(chars) * 6 + 7) // 8, "little")[: int(size)]

def block(text):
    data = text.encode("ascii")
    return b"VC2!" + len(data).to_bytes(4, "little") + data + b"\0\0"

path = sys.argv[2]
turtle = open(path).read()
found = KEY.search(turtle)
if not found:
    sys.exit("no state string in " + path)
if sys.argv[1] == "read":
    data = decode(found.group(2))
    length = int.from_bytes(data[4:8], "little")
    if data[:4] != b"VC2!" or len(data) != length + 10:
        sys.exit("not a state block")
    print(data[8 : 8 + length].decode("ascii"))
else:
    turtle = KEY.sub(lambda m: m.group(1) + encode(block(sys.argv[3])) + m.group(3), turtle, count=1)
    open(path, "w").write(turtle)
