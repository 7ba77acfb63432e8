#!/usr/bin/env python3
# Plays the Windows game of the release archive under Wine beside the Linux
# build, on one virtual X server, with real key presses, and reads both from the
# screen. Each game has a sandbox of its own (pid namespace, /tmp, a hosts file
# with the leaderboard hosts on 127.0.0.1, a CA bundle that trusts the test CA)
# with no sound device: every run is silent.
#   wine_check.py ARCHIVE LINUX_GAME SCORE_POST WINDOWS_CMAKE_CACHE LINUX_HOST WORK
import ctypes, os, shutil, subprocess, sys, time, zipfile  # noqa: E401

import numpy as np

sys.dont_write_bytecode = True  # nothing written into the source tree
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "score_server"))
import score_server  # noqa: E402

ARCHIVE, LINUX_GAME, SCORE_POST, WINDOWS_CACHE, LINUX_HOST, WORK = sys.argv[1:7]
TITLE = "SNOKRYSTAL - Nordlumen Spill"
LEVEL_ONE = ["Right", "Down", "Left", "Down", "Right"]
# Parts of the 1280x720 window (left, top, right, bottom), from the game's layout.
WHOLE, MOVES = (0, 0, 1280, 720), (290, 16, 376, 50)  # the status bar's move count
PROMPT, OUTCOME = (440, 266, 840, 304), (440, 296, 840, 352)  # "Score sendt!" and the place
BOOT_SECONDS = 120  # a fresh prefix takes 15 s, 30 s on a busy machine


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


def run(*command, **options):
    try:
        return subprocess.run(command, capture_output=True, text=True, timeout=30, **options).stdout
    except subprocess.TimeoutExpired:
        fail(f"{command[:3]} did not end within 30 s")


def openssl(cwd, *args):
    run("openssl", *args, "-nodes", "-days", "2", "-newkey", "ec", "-pkeyopt",
        "ec_paramgen_curve:prime256v1", cwd=cwd, check=True)


def make_certs(names):
    cwd = f"{WORK}/certs"
    os.makedirs(cwd)
    for ca in ("ca", "other-ca"):
        openssl(cwd, "req", "-x509", "-keyout", f"{ca}.key", "-out", f"{ca}.pem", "-subj", f"/CN=test {ca}",
                "-addext", "basicConstraints=critical,CA:TRUE", "-addext", "keyUsage=critical,keyCertSign,cRLSign")
    for leaf, ca in (("trusted", "ca"), ("stranger", "other-ca")):
        openssl(cwd, "req", "-x509", "-keyout", f"{leaf}.key", "-out", f"{leaf}.pem", "-subj", "/CN=localhost",
                "-CA", f"{ca}.pem", "-CAkey", f"{ca}.key", "-addext", f"subjectAltName={names}",
                "-addext", "basicConstraints=CA:FALSE", "-addext", "keyUsage=critical,digitalSignature",
                "-addext", "extendedKeyUsage=serverAuth")


def windows():
    return run("xdotool", "search", "--onlyvisible", "--name", f"^{TITLE}$").split() or None


def sandbox(command, cwd):
    return ["bwrap", "--dev-bind", "/", "/", "--proc", "/proc", "--unshare-pid",
            "--die-with-parent", "--perms", "1777", "--tmpfs", "/tmp",
            "--bind", "/tmp/.X11-unix", "/tmp/.X11-unix", "--ro-bind", f"{WORK}/hosts", "/etc/hosts",
            "--ro-bind", f"{WORK}/ca-bundle.crt", "/etc/ssl/certs/ca-certificates.crt",
            "--chdir", cwd, "--", *command]


class XImage(ctypes.Structure):
    _fields_ = [("width", ctypes.c_int), ("height", ctypes.c_int), ("pad", ctypes.c_int * 2),
                ("data", ctypes.c_void_p), ("more", ctypes.c_int * 5), ("bytes_per_line", ctypes.c_int)]


def screen():
    x = ctypes.CDLL("libX11.so.6")
    x.XOpenDisplay.restype = x.XDefaultRootWindow.restype = ctypes.c_void_p
    x.XGetImage.restype = ctypes.POINTER(XImage)
    x.XGetImage.argtypes = [ctypes.c_void_p, ctypes.c_void_p] + [ctypes.c_int] * 4 + [ctypes.c_ulong, ctypes.c_int]
    display = x.XOpenDisplay(None)
    root = x.XDefaultRootWindow(ctypes.c_void_p(display))

    # One X request copies the part as the server holds it between two others:
    # never half of one frame and half of the next, as a read of its memory can be.
    def grab(left, top, right, bottom):
        image = x.XGetImage(ctypes.c_void_p(display), root, left, top, right - left, bottom - top, ~0, 2)
        line = image.contents.bytes_per_line
        pixels = np.frombuffer(ctypes.string_at(image.contents.data, line * (bottom - top)), np.uint8)
        x.XDestroyImage(image)
        return pixels.reshape(bottom - top, line // 4, 4)[:, :right - left, 2::-1]
    return grab


class Game:
    def __init__(self, name, command, cwd):
        self.name, self.zero, self.stderr = name, None, f"{WORK}/{name}.stderr"
        until("the last window to go", lambda: windows() is None, 30)
        with open(self.stderr, "wb") as stderr:
            self.process = subprocess.Popen(sandbox(command, cwd), stdout=subprocess.DEVNULL, stderr=stderr)
        window = until(f"the window of {name}", windows, 60, self)[0]
        shape = dict(f.split("=") for f in run("xdotool", "getwindowgeometry", "--shell", window).split())
        self.x, self.y, self.size = int(shape["X"]), int(shape["Y"]), (int(shape["WIDTH"]), int(shape["HEIGHT"]))
        run("xdotool", "windowfocus", "--sync", window)
        self.wait_for("the first frame", WHOLE, lambda shown: shown.min() < shown.max(), 60)
        self.title = self.settled(WHOLE)

    def shot(self, box):
        left, top, right, bottom = box
        return GRAB(self.x + left, self.y + top, self.x + right, self.y + bottom)

    def key(self, *names):
        run("xdotool", "key", *names)

    def wait_for(self, what, box, test, seconds=30):
        return until(what, lambda: (lambda shown: shown if test(shown) else None)(self.shot(box)), seconds, self)

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
        until(f"the {key} slide", moved, 30, self)

    def win_and_send(self, board, reference=None, seconds=20):
        """Solves level 1 and sends a name: the prompt and the outcome shown, the
        outcome like the reference's if one is given. Without one, the score is
        held at the leaderboard until the picture without it has been seen."""
        for key in LEVEL_ONE:
            self.slide(key)
        # The prompt drops typed characters for its first 0.3 s of game time.
        # A frame adds its real time but at most 0.05 s, so between two frames
        # seen over 0.1 s apart game time grows by at least 0.05 s: fourteen
        # such changes of the picture are past the 0.3 s.
        last = self.shot(WHOLE)
        for _ in range(14):
            time.sleep(0.1)
            last = self.wait_for("a new frame", WHOLE, lambda shown: not np.array_equal(shown, last))
        prompt = self.settled(PROMPT)
        if reference is None:
            open(f"{board}/pause", "w").close()
        run("xdotool", "type", "--delay", "30", "Ice Fox")
        self.key("Return")
        if reference is None:
            until("the score's connection", lambda: os.path.exists(f"{board}/paused"), 30, self)
            waiting = self.shot(OUTCOME)
            os.remove(f"{board}/pause")
            self.wait_for("the outcome", OUTCOME, lambda shown: not np.array_equal(shown, waiting))
            outcome = self.settled(OUTCOME)
        else:
            outcome = self.wait_for("the outcome", OUTCOME, lambda shown: same(shown, reference), seconds)
        self.key("Return")  # on to the win menu: NESTE NIVÅ, SPILL NIVÅ 1 IGJEN, VELG NIVÅ, AVSLUTT
        return prompt, outcome

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
        score_server.write_whole(f"{self.directory}/answer", b'{"ok":true,"plass":3,"totalt":41}')
        self.process = subprocess.Popen([sys.executable, score_server.__file__, self.directory,
                                         f"{WORK}/certs/{cert}.pem", f"{WORK}/certs/{cert}.key", "443"],
                                        stdin=subprocess.PIPE)
        until("the leaderboard", lambda: os.path.exists(f"{self.directory}/port"), 30)
        return self.directory

    # (head, body) of each request so far; the head ends with its last header's CRLF.
    def requests(self):
        found = [open(f"{self.directory}/{name}", "rb").read().split(b"\r\n\r\n", 1)
                 for name in sorted(n for n in os.listdir(self.directory) if n.isdigit())]
        return [(head + b"\r\n", body) for head, body in found]

    def stop(self):
        if self.process:
            self.process.kill()
            self.process.wait()


def prepare():
    shutil.rmtree(WORK, ignore_errors=True)
    if os.path.exists("/dev/snd"):
        fail("this sandbox has a sound device; the checks expect none")
    host = next(line.split("=", 1)[1].strip() for line in open(WINDOWS_CACHE)
                if line.startswith("SNOKRYSTAL_SCORE_HOST:"))
    make_certs(f"DNS:{host},DNS:{LINUX_HOST}")
    with open(f"{WORK}/hosts", "w") as hosts:
        hosts.write(f"127.0.0.1 localhost {host} {LINUX_HOST}\n")
    with open(f"{WORK}/ca-bundle.crt", "wb") as bundle:
        for part in ("/etc/ssl/certs/ca-certificates.crt", f"{WORK}/certs/ca.pem"):
            bundle.write(open(part, "rb").read())
    with zipfile.ZipFile(ARCHIVE) as archive:
        archive.extractall(f"{WORK}/game")
    shutil.copytree(f"{WORK}/game/snokrystal", f"{WORK}/bare", ignore=shutil.ignore_patterns("assets"))
    return host


def boot_wine():
    # A fresh prefix, its registry written before the sandbox ends. No Mono, Gecko
    # or menu entries, and a crash exits instead of opening the debugger's dialog.
    os.environ.update(WINEPREFIX=f"{WORK}/prefix", WINEDEBUG="-all",
                      WINEDLLOVERRIDES="winedbg.exe,winemenubuilder.exe,mscoree,mshtml=d")
    with open(f"{WORK}/wineboot.log", "wb") as log:
        boot = subprocess.Popen(sandbox(["sh", "-c", "wineboot -i && wineserver -w"], WORK),
                                stdout=log, stderr=log)
        try:
            if boot.wait(BOOT_SECONDS) != 0:
                fail(f"wineboot ended with code {boot.returncode}: see {log.name}")
        except subprocess.TimeoutExpired:
            rows = [row.split(None, 2) for row in run("ps", "-eo", "pid=,ppid=,etimes=,args=").splitlines()]
            inside = {str(boot.pid)}
            for _ in range(8):
                inside |= {pid for pid, parent, _ in rows if parent in inside}
            left = "\n".join(" ".join(row) for row in rows if row[0] in inside)
            boot.kill()  # and with it the sandbox's pid namespace
            fail(f"the Wine prefix not ready within {BOOT_SECONDS} s (log: {log.name}); still running:\n{left}")


def main():
    global GRAB
    host = prepare()
    read, write = os.pipe()
    xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(write), "-screen", "0", "1920x1080x24",
                             "-nolisten", "tcp", "-noreset"], pass_fds=[write])
    os.environ["DISPLAY"] = ":" + os.read(read, 16).decode().strip()
    GRAB = screen()
    run("xdotool", "mousemove", "1919", "1079")  # the pointer is drawn into the screen
    board = Leaderboard()
    try:
        boot_wine()
        # The Linux build first: its frames are what the Windows game must show.
        linux = Game("linux", [LINUX_GAME], os.getcwd())
        linux.start_level("Return")
        prompt, sent = linux.win_and_send(board.start("trusted"))
        linux.start_level("Down", "Return")
        _, not_sent = linux.win_and_send(board.start("stranger"))
        linux.key("Up", "Return")
        linux.finish()

        wine = Game("wine", ["wine", "snokrystal.exe"], f"{WORK}/game/snokrystal")
        if wine.size != (1280, 720):
            fail(f"the window is {wine.size}, not 1280x720")
        if not same(wine.title, linux.title):
            fail("the title screen differs from the Linux build's")
        constructed = os.path.getsize(wine.stderr)
        wine.start_level("Return")
        wine_prompt, _ = wine.win_and_send(board.start("trusted"), sent)
        if not same(wine_prompt, prompt):
            fail("the name prompt differs from the Linux build's")
        [(head, body)] = board.requests()
        score = body.split(b"&score=")[1].split(b"&")[0].decode()
        subprocess.run(sandbox([SCORE_POST, host, "Ice Fox", score], os.getcwd()), check=True, timeout=60)
        # Two HTTP stacks: the same request line, header lines and body, but
        # each orders the headers its own way and WinINet adds a no-cache.
        linux_head, linux_body = board.requests()[1]
        lines, linux_lines = head.split(b"\r\n"), linux_head.split(b"\r\n")
        if (lines[0], body) != (linux_lines[0], linux_body) or sorted(lines) != sorted(
                linux_lines + [b"Cache-Control: no-cache"]):
            fail(f"the request is not the Linux client's:\n{head + body}\n{linux_head + linux_body}")

        wine.start_level("Down", "Return")
        wine.win_and_send(board.start("stranger"), not_sent)
        if board.requests():
            fail("a score went to a leaderboard whose certificate no trusted CA signed")
        wine.start_level("Down", "Return")  # no gate opens: silence until the client leaves
        wine.win_and_send(board.start("trusted", "hold"), not_sent, seconds=45)  # it gives up after 30 s
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
