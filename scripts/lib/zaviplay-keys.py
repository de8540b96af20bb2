#!/usr/bin/env python3
"""Steers zaviplay on a pseudo-terminal with single keys, as a user at a
terminal does, and checks that each key takes effect without Enter, that
an arrow key's escape sequence is no command (its last byte B would step
back), that a number typed after g shows on the status line as typed and
corrected with Backspace, and that the terminal's
settings come back when zaviplay quits and when Ctrl-C or SIGTERM ends it.

    zaviplay-keys.py ZAVIPLAY RECORDING.zvr     (a recording of 10 s or more)

Every wait is for something zaviplay prints, within a bound."""
import fcntl
import os
import re
import select
import signal
import subprocess
import sys
import termios
import time

BOUND_S = 15
ENTER = b"\r"
BACKSPACE = b"\x7f"
ARROW_DOWN = b"\x1b[B"
CTRL_C = b"\x03"
LFLAG = 3


def fail(what):
    sys.exit(f"zaviplay-keys: {what}")


class Terminal:
    """zaviplay on the slave side of a pseudo-terminal of its own."""

    def __init__(self, zaviplay, recording):
        self.master, self.slave = os.openpty()
        self.settings = termios.tcgetattr(self.slave)
        env = {k: v for k, v in os.environ.items() if k != "DISPLAY"}
        env["ZAVI_PLATFORM"] = "virtual"
        self.process = subprocess.Popen(
            [zaviplay, recording], stdin=self.slave, stdout=self.slave, stderr=self.slave, env=env,
            start_new_session=True, preexec_fn=lambda: fcntl.ioctl(0, termios.TIOCSCTTY, 0))
        self.output = ""
        self.read_from = 0

    def read(self, seconds):
        ready, _, _ = select.select([self.master], [], [], seconds)
        if ready:
            try:
                self.output += os.read(self.master, 65536).decode(errors="replace")
            except OSError:  # the slave side closed
                pass

    def wait_for(self, pattern, what):
        """The first match of pattern in what zaviplay printed since the last wait."""
        deadline = time.monotonic() + BOUND_S
        while True:
            match = re.compile(pattern).search(self.output, self.read_from)
            if match:
                self.read_from = match.end()
                return match
            if time.monotonic() > deadline:
                fail(f"{what}: no '{pattern}' in {self.output[self.read_from:][-300:]!r}")
            self.read(0.1)

    def press(self, keys):
        os.write(self.master, keys)

    def key_mode(self):
        lflag = termios.tcgetattr(self.slave)[LFLAG]
        return not lflag & (termios.ICANON | termios.ECHO)

    def restored(self):
        return termios.tcgetattr(self.slave) == self.settings

    def wait_exit(self):
        deadline = time.monotonic() + BOUND_S
        while self.process.poll() is None:
            if time.monotonic() > deadline:
                self.process.kill()
                fail("zaviplay did not end")
            self.read(0.1)
        return self.process.returncode


def frame(match):
    return int(match.group(1))


def keys_steer(zaviplay, recording):
    t = Terminal(zaviplay, recording)
    t.wait_for(r"frame (\d+) of", "playing")
    if not t.key_mode():
        fail("the terminal is not in key mode while zaviplay plays")
    t.press(b"p")
    t.wait_for(r"paused", "p pauses")
    before = frame(t.wait_for(r"frame (\d+) of \d+ [^\r]*paused", "paused status"))
    t.press(ARROW_DOWN + b"f")
    after = frame(t.wait_for(r"frame (\d+) of \d+ [^\r]*paused", "f steps"))
    if after != before + 1:
        fail(f"arrow down and f went from frame {before} to {after}")
    t.press(b"g9" + BACKSPACE + b"5")
    t.wait_for(r"\| g 5_", "the number being typed on the status line")
    t.press(b"0" + ENTER)
    t.wait_for(r"\(5\d%\)", "g 50 Enter goes to the middle")
    t.press(b"q")
    if t.wait_exit() != 0:
        fail(f"q: zaviplay ended with {t.process.returncode}")
    t.wait_for(r"zaviplay: done", "q quits")
    if not t.restored():
        fail("the terminal's settings are not back after q")
    print(f"zaviplay keys: p paused, arrow down and f frame {before} -> {after}, g 50 to the middle, q quits")


def ended_by(zaviplay, recording, how, end):
    t = Terminal(zaviplay, recording)
    t.wait_for(r"frame (\d+) of", "playing")
    end(t)
    code = t.wait_exit()
    if code >= 0:
        fail(f"{how} did not end zaviplay by its signal ({code})")
    if not t.restored():
        fail(f"the terminal's settings are not back after {how}")
    print(f"zaviplay keys: {how} ends it, the terminal's settings back")


def main():
    zaviplay, recording = sys.argv[1:3]
    keys_steer(zaviplay, recording)
    ended_by(zaviplay, recording, "Ctrl-C", lambda t: t.press(CTRL_C))
    ended_by(zaviplay, recording, "SIGTERM", lambda t: t.process.send_signal(signal.SIGTERM))


if __name__ == "__main__":
    main()
