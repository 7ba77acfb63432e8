#!/usr/bin/env python3
# Plays the Windows game of the release archive under Wine beside the Linux
# build, on one virtual X server, with real key presses, and reads both from the
# screen. Each game has a sandbox of its own (pid namespace, /tmp, a hosts file
# with the leaderboard hosts on 127.0.0.1, a CA bundle that trusts the test CA)
# with no sound device: every run is silent.
#   wine_check.py ARCHIVE LINUX_GAME SCORE_POST WINDOWS_CMAKE_CACHE LINUX_HOST WORK

import os
import shutil
import subprocess
import sys
import time
import zipfile

import numpy as np

sys.dont_write_bytecode = True  # nothing written into the source tree
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "score_server"))
import score_server  # noqa: E402

ARCHIVE, LINUX_GAME, SCORE_POST, WINDOWS_CACHE, LINUX_HOST, WORK = sys.argv[1:7]
TITLE = "SNOKRYSTAL - Nordlumen Spill"
LEVEL_ONE = ["Right", "Down", "Left", "Down", "Right"]
ANSWER = b'{"ok":true,"plass":3,"totalt":41}'
# Parts of the 1280x720 window (left, top, right, bottom), from the game's layout.
WHOLE = (0, 0, 1280, 720)
MOVES = (290, 16, 376, 50)     # the status bar's move count
PROMPT = (440, 266, 840, 304)  # the name prompt's two lines
OUTCOME = (440, 296, 840, 352)  # "Score sendt!" and the place, or the failure


def fail(message):
    sys.exit(f"FAILED: {message}")


def until(what, condition, seconds, game=None):
    end = time.monotonic() + seconds
    while time.monotonic() < end:
        if game and game.process.poll() is not None:
            fail(f"{game.name} ended with code {game.process.returncode}, waiting for {what}")
        value = condition()
        if value is not None and value is not False:
            return value
        time.sleep(0.05)
    fail(f"no {what} within {seconds} s")


def same(a, b):
    # The Windows build has FreeType 2.14 and the Linux build the build root's
    # 2.13; both draw through the same software renderer (llvmpipe). Their
    # glyph edges differ by up to 55 levels at a few dozen pixels and all else
    # is equal, while the core of a wrong or missing letter differs by 150 or more.
    d = np.abs(a.astype(int) - b.astype(int)).max(axis=2)
    return d.max() <= 96 and (d > 8).mean() <= 0.01


def openssl(*args, cwd):
    subprocess.run(["openssl", *args], cwd=cwd, check=True,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


def make_ca(name, cwd):
    openssl("req", "-x509", "-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1",
            "-nodes", "-keyout", f"{name}.key", "-out", f"{name}.pem", "-days", "2",
            "-subj", f"/CN=SNOKRYSTAL test {name}",
            "-addext", "basicConstraints=critical,CA:TRUE",
            "-addext", "keyUsage=critical,keyCertSign,cRLSign", cwd=cwd)


def make_leaf(name, alt_names, cwd, ca):
    with open(os.path.join(cwd, f"{name}.ext"), "w") as ext:
        ext.write(f"subjectAltName={alt_names}\nbasicConstraints=CA:FALSE\n"
                  "keyUsage=critical,digitalSignature\nextendedKeyUsage=serverAuth\n")
    openssl("req", "-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1", "-nodes",
            "-keyout", f"{name}.key", "-out", f"{name}.csr", "-subj", "/CN=localhost", cwd=cwd)
    openssl("x509", "-req", "-in", f"{name}.csr", "-CA", f"{ca}.pem", "-CAkey", f"{ca}.key",
            "-CAcreateserial", "-out", f"{name}.pem", "-days", "2", "-extfile", f"{name}.ext",
            cwd=cwd)


def xdotool(*args):
    return subprocess.run(["xdotool", *args], capture_output=True, text=True).stdout


def windows():
    return xdotool("search", "--onlyvisible", "--name", f"^{TITLE}$").split() or None


def sandbox(command, cwd):
    return ["bwrap", "--dev-bind", "/", "/", "--proc", "/proc", "--unshare-pid",
            "--die-with-parent", "--perms", "1777", "--tmpfs", "/tmp",
            "--bind", "/tmp/.X11-unix", "/tmp/.X11-unix", "--ro-bind", f"{WORK}/hosts", "/etc/hosts",
            "--ro-bind", f"{WORK}/ca-bundle.crt", "/etc/ssl/certs/ca-certificates.crt",
            "--chdir", cwd, "--", *command]


class Game:
    def __init__(self, name, command, cwd):
        self.name, self.zero = name, None
        until("the last window to go", lambda: windows() is None, 30)
        self.stderr = f"{WORK}/{name}.stderr"
        with open(self.stderr, "wb") as stderr:
            self.process = subprocess.Popen(sandbox(command, cwd), stdout=subprocess.DEVNULL,
                                            stderr=stderr)
        window = until(f"the window of {name}", windows, 60, self)[0]
        shape = dict(f.split("=") for f in xdotool("getwindowgeometry", "--shell", window).split())
        self.x, self.y = int(shape["X"]), int(shape["Y"])
        self.size = (int(shape["WIDTH"]), int(shape["HEIGHT"]))
        xdotool("windowfocus", "--sync", window)
        self.wait_for("the first frame", WHOLE, lambda shown: shown.min() < shown.max(), 60)
        self.title = self.settled(WHOLE)

    def shot(self, box):
        left, top, right, bottom = box
        return np.array(SCREEN[self.y + top:self.y + bottom, self.x + left:self.x + right, 2::-1])

    def key(self, *names):
        xdotool("key", *names)

    def wait_for(self, what, box, test, seconds=30):
        return until(what, lambda: (lambda shown: shown if test(shown) else None)(self.shot(box)),
                     seconds, self)

    def settled(self, box):
        def look():
            first = self.shot(box)
            time.sleep(0.2)
            second = self.shot(box)
            return second if np.array_equal(first, second) else None
        return until(f"a still picture of {self.name}", look, 60, self)

    def start_level(self, *keys):
        self.key(*keys)
        if self.zero is None:
            title = self.title[MOVES[1]:MOVES[3], MOVES[0]:MOVES[2]]
            self.wait_for("level 1", MOVES, lambda shown: not np.array_equal(shown, title))
            self.zero = self.settled(MOVES)
        else:
            self.wait_for("level 1 again", MOVES, lambda shown: np.array_equal(shown, self.zero))

    def slide(self, key):
        # A key during a slide is dropped, and a slide into a wall is no move,
        # so pressing until the move count changes never moves twice.
        before = self.shot(MOVES)

        def moved():
            self.key(key)
            end = time.monotonic() + 0.3
            while time.monotonic() < end:
                if not np.array_equal(self.shot(MOVES), before):
                    return True
            return None
        until(f"the {key} slide", moved, 30, self)

    def wait_out_name_cooldown(self):
        # The prompt drops typed characters for its first 0.3 s of game time.
        # A frame adds its real time but at most 0.05 s, so between two frames
        # seen over 0.1 s apart game time grows by at least 0.05 s: fourteen
        # such changes of the picture are past the 0.3 s.
        last = self.shot(WHOLE)
        for _ in range(14):
            time.sleep(0.1)
            last = self.wait_for("a new frame", WHOLE, lambda shown: not np.array_equal(shown, last))

    def finish(self):
        if self.process.wait(60) != 0:
            fail(f"{self.name} ended with code {self.process.returncode}")


class Leaderboard:
    def __init__(self):
        self.directory, self.process = f"{WORK}/leaderboard", None

    def start(self, cert, mode="reply"):
        self.stop()
        shutil.rmtree(self.directory, ignore_errors=True)
        os.makedirs(self.directory)
        score_server.write_whole(f"{self.directory}/mode", f"{mode} 200".encode())
        score_server.write_whole(f"{self.directory}/answer", ANSWER)
        certs = f"{WORK}/certs/{cert}"
        self.process = subprocess.Popen([sys.executable, score_server.__file__, self.directory,
                                         f"{certs}.pem", f"{certs}.key", "443"],
                                        stdin=subprocess.PIPE)
        until("the leaderboard", lambda: os.path.exists(f"{self.directory}/port"), 30)

    # (head, body) of each request so far; the head ends with its last header's CRLF.
    def requests(self):
        found = []
        for name in sorted(n for n in os.listdir(self.directory) if n.isdigit()):
            head, body = open(f"{self.directory}/{name}", "rb").read().split(b"\r\n\r\n", 1)
            found.append((head + b"\r\n", body))
        return found

    def stop(self):
        if self.process:
            self.process.kill()
            self.process.wait()


def win_and_send(game, board, reference=None, seconds=20):
    """Solves level 1 and sends a name: the prompt and the outcome shown, the
    outcome like the reference's if one is given. Without one, the score is
    held at the leaderboard until the picture without it has been seen."""
    for key in LEVEL_ONE:
        game.slide(key)
    game.wait_out_name_cooldown()
    prompt = game.settled(PROMPT)
    if reference is None:
        open(f"{board.directory}/pause", "w").close()
    xdotool("type", "--delay", "30", "Ice Fox")
    game.key("Return")
    if reference is None:
        until("the score's connection", lambda: os.path.exists(f"{board.directory}/paused"), 30, game)
        waiting = game.shot(OUTCOME)
        os.remove(f"{board.directory}/pause")
        game.wait_for("the outcome", OUTCOME, lambda shown: not np.array_equal(shown, waiting))
        outcome = game.settled(OUTCOME)
    else:
        outcome = game.wait_for("the outcome", OUTCOME, lambda shown: same(shown, reference), seconds)
    game.key("Return")  # on to the win menu: NESTE NIVÅ, SPILL NIVÅ 1 IGJEN, VELG NIVÅ, AVSLUTT
    return prompt, outcome


def prepare():
    shutil.rmtree(WORK, ignore_errors=True)
    os.makedirs(f"{WORK}/certs")
    if os.path.exists("/dev/snd"):
        fail("this sandbox has a sound device; the checks expect none")
    host = next(line.split("=", 1)[1].strip() for line in open(WINDOWS_CACHE)
                if line.startswith("SNOKRYSTAL_SCORE_HOST:"))
    names = f"DNS:{host},DNS:{LINUX_HOST}"
    for ca in ("ca", "other-ca"):
        make_ca(ca, f"{WORK}/certs")
    make_leaf("trusted", names, f"{WORK}/certs", ca="ca")
    make_leaf("stranger", names, f"{WORK}/certs", ca="other-ca")
    with open(f"{WORK}/hosts", "w") as hosts:
        hosts.write(f"127.0.0.1 localhost {host} {LINUX_HOST}\n")
    with open(f"{WORK}/ca-bundle.crt", "wb") as bundle:
        for part in ("/etc/ssl/certs/ca-certificates.crt", f"{WORK}/certs/ca.pem"):
            bundle.write(open(part, "rb").read())
    with zipfile.ZipFile(ARCHIVE) as archive:
        archive.extractall(f"{WORK}/game")
    shutil.copytree(f"{WORK}/game/snokrystal", f"{WORK}/bare", ignore=shutil.ignore_patterns("assets"))
    return host


def start_screen():
    global SCREEN
    read, write = os.pipe()
    xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(write), "-screen", "0", "1920x1080x24",
                             "-fbdir", WORK, "-nolisten", "tcp", "-noreset"], pass_fds=[write])
    os.environ["DISPLAY"] = ":" + os.read(read, 16).decode().strip()
    raw = np.memmap(f"{WORK}/Xvfb_screen0", np.uint8, "r")
    start = int.from_bytes(raw[0:4], "big") + int.from_bytes(raw[76:80], "big") * 12
    SCREEN = raw[start:start + 1920 * 1080 * 4].reshape(1080, 1920, 4)
    xdotool("mousemove", "1919", "1079")  # the pointer is drawn into the screen
    return xvfb


def main():
    host = prepare()
    xvfb = start_screen()
    os.environ.update(WINEPREFIX=f"{WORK}/prefix", WINEDEBUG="-all",
                      WINEDLLOVERRIDES="winedbg.exe=d;mscoree=d;mshtml=d")
    subprocess.run(sandbox(["sh", "-c", "wineboot -i && wineserver -w"], WORK), check=True,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    board = Leaderboard()
    try:
        # The Linux build first: its frames are what the Windows game must show.
        board.start("trusted")
        linux = Game("linux", [LINUX_GAME], os.getcwd())
        linux.start_level("Return")
        prompt, sent = win_and_send(linux, board)
        board.start("stranger")
        linux.start_level("Down", "Return")
        _, not_sent = win_and_send(linux, board)
        linux.key("Up", "Return")
        linux.finish()

        board.start("trusted")
        wine = Game("wine", ["wine", "snokrystal.exe"], f"{WORK}/game/snokrystal")
        if wine.size != (1280, 720):
            fail(f"the window is {wine.size}, not 1280x720")
        if not same(wine.title, linux.title):
            fail("the title screen differs from the Linux build's")
        constructed = os.path.getsize(wine.stderr)
        wine.start_level("Return")
        wine_prompt, _ = win_and_send(wine, board, sent)
        if not same(wine_prompt, prompt):
            fail("the name prompt differs from the Linux build's")
        [(head, body)] = board.requests()
        score = body.split(b"&score=")[1].split(b"&")[0].decode()
        subprocess.run(sandbox([SCORE_POST, host, "Ice Fox", score], os.getcwd()), check=True)
        # Two HTTP stacks: the same request line, header lines and body, but
        # each orders the headers its own way and WinINet adds a no-cache.
        linux_head, linux_body = board.requests()[1]
        lines, linux_lines = head.split(b"\r\n"), linux_head.split(b"\r\n")
        if (lines[0], body) != (linux_lines[0], linux_body) or sorted(lines) != sorted(
                linux_lines + [b"Cache-Control: no-cache"]):
            fail(f"the request is not the Linux client's:\n{head + body}\n{linux_head + linux_body}")

        board.start("stranger")
        wine.start_level("Down", "Return")
        win_and_send(wine, board, not_sent)
        if board.requests():
            fail("a score went to a leaderboard whose certificate no trusted CA signed")
        board.start("trusted", "hold")  # no gate opens: silence until the client leaves
        wine.start_level("Down", "Return")
        win_and_send(wine, board, not_sent, seconds=45)  # the client gives up after 30 s
        if len(board.requests()) != 1:
            fail("the score did not reach the silent leaderboard")
        wine.key("Up", "Return")
        wine.finish()
        if os.path.getsize(wine.stderr) != constructed:
            fail("the game wrote to standard error after its start: " + open(wine.stderr).read())

        # Without assets/ (and no Windows fonts under Wine) nothing but the
        # backdrop's four colours is on the title; the level still plays.
        bare = Game("bare", ["wine", "snokrystal.exe"], f"{WORK}/bare")
        if len(np.unique(bare.title.reshape(-1, 3), axis=0)) > 4:
            fail("text on the title without any font")
        bare.key("Return")
        bare.wait_for("the board", WHOLE, lambda shown: len(np.unique(shown.reshape(-1, 3), axis=0)) > 4)
        bare.key("Right", "Escape", "Up", "Return")  # a slide, the pause menu, AVSLUTT
        bare.finish()
    finally:
        board.stop()
        xvfb.kill()
        shutil.rmtree(f"{WORK}/prefix", ignore_errors=True)  # 800 MB


if __name__ == "__main__":
    main()
