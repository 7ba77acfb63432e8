#!/usr/bin/env python3
# Plays the Windows game of the release archive under Wine beside the Linux
# build, on one virtual X server, with real key presses, and reads both from the
# screen. Each game has a sandbox of its own (pid namespace, /tmp, a hosts file
# with the leaderboard hosts on 127.0.0.1, a CA bundle that trusts the test CA)
# with no sound device: every run is silent.
#   wine_check.py ARCHIVE LINUX_GAME SCORE_POST LINUX_HOST WORK   (in the repository, after scripts/package)
import ctypes, functools, os, re, shutil, struct, subprocess, sys, tempfile, time, zipfile  # noqa: E401

import numpy as np

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "score_server"))
import score_server  # noqa: E402

ARCHIVE, LINUX_GAME, SCORE_POST, LINUX_HOST, WORK = sys.argv[1:6]
# Parts of the 1280x720 window (left, top, right, bottom), from the game's layout.
WHOLE, MOVES = (0, 0, 1280, 720), (290, 16, 376, 50)  # MOVES: the status bar's move count
PROMPT, OUTCOME = (440, 266, 840, 304), (440, 296, 840, 352)  # OUTCOME: "Score sendt!" and the place


def expect(condition, message): condition or sys.exit(f"FAILED: {message}")  # noqa: E704


def until(what, condition, seconds, game=None):
    end = time.monotonic() + seconds
    while time.monotonic() < end:
        game and expect(game.process.poll() is None, f"{game.name} ended ({game.process.returncode}) awaiting {what}")
        if (value := condition()) is not None and value is not False:
            return value
        time.sleep(0.05)
    expect(not what, f"no {what} within {seconds} s")  # without a name, only a look


def same(a, b):
    # The Windows build has FreeType 2.14 and the Linux build the build root's
    # 2.13; both draw through the same software renderer (llvmpipe). Their
    # glyph edges differ by up to 55 levels at a few dozen pixels and all else
    # is equal, while the core of a wrong or missing letter differs by 150 or more.
    d = np.abs(a.astype(int) - b.astype(int)).max(axis=2)
    return d.max() <= 96 and (d > 8).mean() <= 0.01


def colours(picture): return len(np.unique(picture.reshape(-1, 3), axis=0))  # noqa: E704


def run(*command, **options):  # bounded: a hung helper fails the check with its command line
    return subprocess.run(command, capture_output=True, text=True, timeout=30, **options).stdout


def xdotool(*args): return run("xdotool", *args)  # noqa: E704


def windows(): return xdotool("search", "--onlyvisible", "--name", "^SNOKRYSTAL - Nordlumen Spill$").split() or None  # noqa


def make_certs(cwd, names):  # two CAs, and a server certificate from each
    os.makedirs(cwd)
    ca = "-addext basicConstraints=critical,CA:TRUE -addext keyUsage=critical,keyCertSign,cRLSign"
    leaf = f"-subj /CN=localhost -addext subjectAltName={names} -addext basicConstraints=CA:FALSE " \
        "-addext keyUsage=critical,digitalSignature -addext extendedKeyUsage=serverAuth"
    for name, issuer in (("ca", None), ("other-ca", None), ("trusted", "ca"), ("stranger", "other-ca")):
        run(*f"openssl req -x509 -nodes -days 2 -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -keyout {name}.key "
            f"-out {name}.pem".split(), *(f"-CA {issuer}.pem -CAkey {issuer}.key {leaf}" if issuer else
                                         f"-subj /CN=SNOKRYSTAL-test-{name} {ca}").split(), cwd=cwd, check=True)


# The repository and the work folder are bound again over the private /tmp,
# where a clone may live.
def sandbox(command, cwd):
    return [*"bwrap --dev-bind / / --proc /proc --unshare-pid --die-with-parent --perms 1777 --tmpfs /tmp".split(),
            "--bind", "/tmp/.X11-unix", "/tmp/.X11-unix", "--bind", os.getcwd(), os.getcwd(), "--bind", WORK, WORK,
            "--ro-bind", f"{WORK}/hosts", "/etc/hosts", "--ro-bind", f"{WORK}/ca-bundle.crt",
            "/etc/ssl/certs/ca-certificates.crt", "--chdir", cwd, "--", *command]


X = ctypes.CDLL("libX11.so.6")
X.XOpenDisplay.restype = X.XDefaultRootWindow.restype = X.XGetImage.restype = ctypes.c_void_p
X.XGetImage.argtypes = [ctypes.c_void_p] * 2 + [ctypes.c_int] * 4 + [ctypes.c_ulong, ctypes.c_int]
display = functools.cache(lambda: ctypes.c_void_p(X.XOpenDisplay(None)))  # once, on the check's own X server


# One X request copies the part as the server holds it between two others:
# never half of one frame and half of the next, as a read of its memory can
# be, which once made a move seem made before its frame was whole.
def grab(left, top, right, bottom):
    image = X.XGetImage(display(), X.XDefaultRootWindow(display()), left, top, right - left, bottom - top, ~0, 2)  # ZPixmap
    # The XImage's data and bytes_per_line
    data, line = ctypes.c_void_p.from_address(image + 16).value, ctypes.c_int.from_address(image + 44).value
    pixels = np.frombuffer(ctypes.string_at(data, line * (bottom - top)), np.uint8)
    X.XDestroyImage(ctypes.c_void_p(image))
    return pixels.reshape(bottom - top, line // 4, 4)[:, :right - left, 2::-1]


class Game:
    def __init__(self, name, command, cwd):
        self.name, self.zero, self.stderr = name, None, f"{WORK}/{name}.stderr"
        until("the last window to go", lambda: windows() is None, 30)
        self.process = subprocess.Popen(sandbox(command, cwd), stdout=subprocess.DEVNULL, stderr=open(self.stderr, "w"))
        window = until(f"the window of {name}", windows, 60, self)[0]
        shape = dict(f.split("=") for f in xdotool("getwindowgeometry", "--shell", window).split())
        self.x, self.y, self.size = int(shape["X"]), int(shape["Y"]), (int(shape["WIDTH"]), int(shape["HEIGHT"]))
        xdotool("windowfocus", "--sync", window)
        self.wait_for("the first frame", WHOLE, lambda shown: shown.min() < shown.max(), 60)
        self.title = self.settled(WHOLE)

    def shot(self, box): return grab(self.x + box[0], self.y + box[1], self.x + box[2], self.y + box[3])  # noqa

    def wait_for(self, what, box, test, seconds=30):
        return until(what, lambda: (lambda shown: shown if test(shown) else None)(self.shot(box)), seconds, self)

    def settled(self, box):  # two looks 0.2 s apart alike
        return self.wait_for(f"a still picture of {self.name}", box,
                             lambda shown: time.sleep(0.2) or np.array_equal(shown, self.shot(box)), 60)

    def play_level_one(self, *keys):
        xdotool("key", *keys)
        if self.zero is None:
            self.wait_for("level 1", MOVES, lambda shown: not np.array_equal(shown, self.title[MOVES[1]:MOVES[3], MOVES[0]:MOVES[2]]))
            self.zero = self.settled(MOVES)
        self.wait_for("level 1 at no moves", MOVES, lambda shown: np.array_equal(shown, self.zero))
        # A key during a slide is dropped, and a slide into a wall is no move,
        # so pressing until the move count changes never moves twice.
        for key in ["Right", "Down", "Left", "Down", "Right"]:
            before = self.shot(MOVES)
            until(f"the {key} slide", lambda: xdotool("key", key) is None or self.wait_for(
                None, MOVES, lambda shown: not np.array_equal(shown, before), 0.3), 30, self)

    def send(self, board, reference=None, seconds=20):
        # The name prompt drops typed characters for its first 0.3 s of game
        # time. A frame adds its real time but at most 0.05 s, so between two
        # frames seen over 0.1 s apart game time grows by at least 0.05 s:
        # fourteen such changes of the picture are past the 0.3 s.
        last = self.shot(WHOLE)
        for _ in range(14):
            time.sleep(0.1)
            last = self.wait_for("a new frame", WHOLE, lambda shown: not np.array_equal(shown, last))
        prompt = self.settled(PROMPT)
        # The score held at the leaderboard until the picture without it is seen
        reference is None and open(f"{board}/pause", "w").close()
        xdotool("type", "--delay", "30", "Ice Fox")
        xdotool("key", "Return")
        if reference is None:
            until("the score's connection", lambda: os.path.exists(f"{board}/paused"), 30, self)
            waiting = self.shot(OUTCOME)
            os.remove(f"{board}/pause")
            self.wait_for("the outcome", OUTCOME, lambda shown: not np.array_equal(shown, waiting))
            outcome = self.settled(OUTCOME)
        else:
            outcome = self.wait_for("the outcome", OUTCOME, lambda shown: same(shown, reference), seconds)
        xdotool("key", "Return")  # on to the win menu: NESTE NIVÅ, SPILL NIVÅ 1 IGJEN, VELG NIVÅ, AVSLUTT
        return prompt, outcome

    def quit(self, *keys):
        xdotool("key", *keys)
        expect(self.process.wait(60) == 0, f"{self.name} ended with code {self.process.returncode}")


def expect_icon(game):  # X's _NET_WM_ICON of its window: the BMP pictures of the committed icon file, size for size
    ico = open("assets/icon/snokrystal.ico", "rb").read()
    committed = {w: np.frombuffer(ico, np.uint8, w * w * 4, at + 40).reshape(w, w, 4)[::-1, :, [2, 1, 0, 3]]
                 for w, at in (struct.unpack_from("<B11xI", ico, 6 + 16 * i) for i in range(ico[4])) if w}
    xprop = run("xprop", "-id", windows()[0], "-f", "_NET_WM_ICON", "32c", "_NET_WM_ICON")
    values = [int(v) for v in re.findall(r"\d+", xprop.partition("=")[2])]
    shown = []
    while len(values) > 2 and values[0] == values[1]:
        argb, values = np.array(values[2:2 + values[0] ** 2], np.uint32).reshape(values[0], -1), values[2 + values[0] ** 2:]
        shown.append(np.stack([argb >> 16, argb >> 8, argb, argb >> 24], axis=2).astype(np.uint8))
    expect(shown and not values and all(np.array_equal(p, committed.get(len(p))) for p in shown),
           f"{game.name}'s window icon is not the committed pictures: {[p.shape for p in shown]}, {len(values)} values left")


class Leaderboard:
    process = None

    def start(self, cert, mode="reply"):
        self.stop()
        self.directory = tempfile.mkdtemp(prefix="leaderboard", dir=WORK)
        for name, text in (("mode", f"{mode} 200".encode()), ("answer", b'{"ok":true,"plass":3,"totalt":41}')):
            score_server.write_whole(f"{self.directory}/{name}", text)
        self.process = subprocess.Popen([sys.executable, score_server.__file__, self.directory, *(
            f"{WORK}/certs/{cert}.{part}" for part in ("pem", "key")), "443"], stdin=subprocess.PIPE)
        return until("the leaderboard", lambda: os.path.exists(f"{self.directory}/port") and self.directory, 30)

    def requests(self):
        return [open(f"{self.directory}/{n}", "rb").read() for n in sorted(os.listdir(self.directory)) if n.isdigit()]

    def stop(self): self.process and (self.process.kill(), self.process.wait())  # noqa: E704


def boot_wine(seconds=120):  # a fresh prefix takes 15 s, 30 s on a busy machine
    # A fresh prefix, its registry written before the sandbox ends. No Mono, Gecko
    # or menu entries, and a crash exits instead of opening the debugger's dialog.
    os.environ.update(WINEPREFIX=f"{WORK}/prefix", WINEDEBUG="-all",
                      WINEDLLOVERRIDES="winedbg.exe,winemenubuilder.exe,mscoree,mshtml=d")
    with open(f"{WORK}/wineboot.log", "wb") as log:
        boot = subprocess.Popen(sandbox(["sh", "-c", "wineboot -i && wineserver -w"], WORK), stdout=log, stderr=log)
    try:
        code = boot.wait(seconds)
    except subprocess.TimeoutExpired:  # what still runs: this check's and its sandboxes' processes
        code = f"none within {seconds} s; still running:\n" + run("ps", "-eo", "pid,ppid,etimes,args")
        boot.kill()  # and with it the sandbox's pid namespace
    expect(code == 0, f"wineboot's code {code}, {log.name}:\n" + open(log.name, errors="replace").read()[-3000:])


def main():
    shutil.rmtree(WORK, ignore_errors=True)
    expect(not os.path.exists("/dev/snd"), "this sandbox has a sound device; the checks expect none")
    host = re.search(r"^SNOKRYSTAL_SCORE_HOST:\w+=(.*)$", open("build/windows/CMakeCache.txt").read(), re.M)[1].strip()
    make_certs(f"{WORK}/certs", f"DNS:{host},DNS:{LINUX_HOST}")
    score_server.write_whole(f"{WORK}/hosts", f"127.0.0.1 localhost {host} {LINUX_HOST}\n".encode())
    run("sh", "-c", f"cat /etc/ssl/certs/ca-certificates.crt {WORK}/certs/ca.pem >{WORK}/ca-bundle.crt", check=True)
    zipfile.ZipFile(ARCHIVE).extractall(f"{WORK}/game")
    shutil.copytree(f"{WORK}/game/snokrystal", f"{WORK}/bare", ignore=shutil.ignore_patterns("assets"))
    # No auto-repeat: a key held longer than its delay on a busy machine is pressed once.
    xvfb = subprocess.Popen(["Xvfb", "-displayfd", "1", "-screen", "0", "1920x1080x24", "-r", "-nolisten", "tcp",
                             "-noreset"], stdout=subprocess.PIPE)
    os.environ["DISPLAY"] = ":" + xvfb.stdout.readline().decode().strip()
    xdotool("mousemove", "1919", "1079")  # the pointer is drawn into the screen
    # A desktop's window manager lists _NET_WM_ICON, without which SFML leaves it unset
    run("xprop", "-root", "-f", "_NET_SUPPORTED", "32a", "-set", "_NET_SUPPORTED", "_NET_WM_ICON")
    board = Leaderboard()
    try:
        boot_wine()
        # The Linux build first: its frames are what the Windows game must show.
        linux = Game("linux", [LINUX_GAME], os.getcwd())
        expect_icon(linux)
        linux.play_level_one("Return")
        prompt, sent = linux.send(board.start("trusted"))
        linux.play_level_one("Down", "Return")  # SPILL NIVÅ 1 IGJEN
        _, not_sent = linux.send(board.start("stranger"))
        linux.quit("Up", "Return")

        wine = Game("wine", ["wine", "snokrystal.exe"], f"{WORK}/game/snokrystal")
        expect(wine.size == (1280, 720), f"the window is {wine.size}, not 1280x720")
        expect_icon(wine)
        expect(same(wine.title, linux.title), "the title screen differs from the Linux build's")
        constructed = os.path.getsize(wine.stderr)
        wine.play_level_one("Return")
        expect(same(wine.send(board.start("trusted"), sent)[0], prompt), "the name prompt is not the Linux build's")
        score = re.search(rb"&score=([^&]*)", board.requests()[0])[1].decode()
        subprocess.run(sandbox([SCORE_POST, host, "Ice Fox", score], os.getcwd()), check=True, timeout=60)
        # Two HTTP stacks: the same request line, header lines and body, but
        # each orders the headers its own way and WinINet adds a no-cache.
        (head, body), (linux_head, linux_body) = (request.split(b"\r\n\r\n") for request in board.requests())
        lines, linux_lines = head.split(b"\r\n"), linux_head.split(b"\r\n") + [b"Cache-Control: no-cache"]
        expect((lines[0], body) == (linux_lines[0], linux_body) and sorted(lines) == sorted(linux_lines),
               f"the request is not the Linux client's:\n{board.requests()}")

        # An unknown CA, then silence until the client leaves after 30 s (no gate opens).
        for cert, mode, seconds, reached in (("stranger", "reply", 20, 0), ("trusted", "hold", 45, 1)):
            wine.play_level_one("Down", "Return")
            wine.send(board.start(cert, mode), not_sent, seconds)
            expect(len(board.requests()) == reached, f"{len(board.requests())} scores reached the {mode} {cert}")
        wine.quit("Up", "Return")
        expect(os.path.getsize(wine.stderr) == constructed, "stderr after its start: " + open(wine.stderr).read())

        # Without assets/ (and no Windows fonts under Wine) nothing but the
        # backdrop's four colours is on the title; the level still plays.
        bare = Game("bare", ["wine", "snokrystal.exe"], f"{WORK}/bare")
        expect(colours(bare.title) <= 4, "text on the title without any font")
        xdotool("key", "Return")
        bare.wait_for("the board", WHOLE, lambda shown: colours(shown) > 4)
        bare.quit("Right", "Escape", "Up", "Return")  # a slide, the pause menu, AVSLUTT
    finally:
        board.stop()
        xvfb.kill()
        shutil.rmtree(f"{WORK}/prefix", ignore_errors=True)  # 800 MB


if __name__ == "__main__":
    main()
