#!/usr/bin/env python3
# Writes the seed corpora of the fuzz targets into fuzz/corpus/<target>/.
#
# The seeds are small, hand-made inputs that reach every screen; the fuzzer
# mutates them from there. Run it again after changing an input format:
#     python3 fuzz/seeds.py

import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))

# game_events: opcodes and key indices, as in fuzz/game_events.cpp.
KEY = {name: i for i, name in enumerate(
    "Up Down Left Right W A S D Enter Space Escape R M Num1 Num2 Num3 Num4 Num5 "
    "Backspace Numpad1 Tab Q Unknown".split())}
# A key byte from 192 on takes the key code from the next byte: code + 1 (F11 is 95).
ANY_KEY, F11 = 192, 96
PRESS, RELEASE, TEXT, FRAMES, DT, RESIZE, FOCUS_LOST, FOCUS_GAINED, DRAW, MOUSE, CLOSE = (
    0, 4, 5, 7, 8, 9, 10, 11, 12, 13, 14)


def press(*names):
    return b"".join(bytes([PRESS, KEY[n]]) for n in names)


def text(s):
    return b"".join(bytes([TEXT, ord(c)]) for c in s)


def frames(n):
    return bytes([FRAMES, n - 1])


def slides(*names):
    # Each slide runs to its end: three frames of 0.05 s, and one to spare.
    return b"".join(press(n) + frames(4) for n in names)


LEVEL_ONE = ("Right", "Down", "Left", "Down", "Right")

GAME_SEEDS = {
    "title": press("Down", "Down", "Up", "W", "S", "Up") + bytes([DRAW]),
    "pause_menu": press("Num2", "Right", "Escape", "Down", "Down", "Up", "Escape", "Escape",
                        "Down", "Enter") + bytes([DRAW]),
    "pause_to_title": press("Enter", "Escape", "Down", "Down", "Enter", "Num3") + bytes([DRAW]),
    "play_keys": press("Num1", "D") + frames(2) + press("R", "M", "S") + frames(3) +
                 press("A", "Up") + frames(2) + bytes([PRESS, ANY_KEY, F11]) + frames(1) +
                 bytes([PRESS, ANY_KEY, F11, DRAW]),
    "win_and_send": press("Num1") + slides(*LEVEL_ONE) + frames(8) + text("Ice Fox") +
                    bytes([TEXT, 8]) + text("x\r") + frames(16) + press("Enter") +
                    press("Down", "Enter") + bytes([DRAW]),
    "win_skip_next": press("Num1") + slides(*LEVEL_ONE) + press("Escape", "Enter") +
                     frames(6) + press("Right", "Down") + bytes([DRAW]),
    "win_long_name": press("Num1") + slides(*LEVEL_ONE) + frames(8) +
                     bytes([TEXT, 200, TEXT, 0x80, TEXT, 127]) + text("ABCDEFGHIJKLMNOPQRSTU") +
                     text("\r") + press("Down", "Down", "Down", "Enter"),
    "window_events": bytes([RESIZE, 100, 50, FOCUS_LOST, FOCUS_GAINED, MOUSE, 0, 10, 10,
                            MOUSE, 1, 3, 4, DT, 255, DT, 0]) + press("Num5") +
                     bytes([RESIZE, 0, 0, DRAW, RELEASE, KEY["Enter"]]) + frames(16),
    "close_mid_level": press("Num4", "Down") + bytes([CLOSE, 0]) + press("Up"),
}

ANSWER_SEEDS = {
    "placed": b"\x00" + b'{"ok":true,"plass":3,"totalt":41}',
    "refused": b"\x02" + b'{"ok":false,"error":"bad key"}',
    "space_and_sign": b"\x01" + b'{"ok": true,"plass": -7,"totalt":+123}',
    "four_digits": b"\x05" + b'{"ok":true,"plass":1234,"totalt":7}',
    "zero_inside": b"\x03" + b'{"ok":tr\x00ue,"plass":\x009}',
    "html": b"\x10" + b"<html><body>502 Bad Gateway</body></html>",
    "null_place": b"\x00" + b'{"ok":true,"plass":null,"totalt":}',
}

FORM_SEEDS = {
    "plain": struct.pack("<i", 4217) + b"Ice Fox",
    "reserved": struct.pack("<i", -1) + b"a&score=1+%20=b",
    "bytes": struct.pack("<i", 2**31 - 1) + bytes(range(0, 256, 7)),
    "empty": struct.pack("<i", 0),
    "utf8": struct.pack("<i", 100) + "Åse Ødegård".encode(),
}


def write(target, seeds):
    directory = os.path.join(HERE, "corpus", target)
    os.makedirs(directory, exist_ok=True)
    for name, data in seeds.items():
        with open(os.path.join(directory, name), "wb") as out:
            out.write(data)


write("game_events", GAME_SEEDS)
write("score_answer", ANSWER_SEEDS)
write("form_name", FORM_SEEDS)
