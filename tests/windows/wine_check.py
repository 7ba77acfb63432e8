#!/usr/bin/env python3
# Plays the Windows game of the release archive under Wine beside the Linux
# build, on one virtual X server, with real key presses, and reads both from the
# screen. Each game has a sandbox of its own (pid namespace, /tmp, a hosts file
# with the leaderboard hosts on 127.0.0.1, a CA bundle that trusts the test CA)
# with no sound device: every run is silent. Both send their win to the real
# leaderboard (server/); the stand-in (tests/score_server/) only keeps silent.
#   wine_check.py ARCHIVE LINUX_GAME SCORE_POST LINUX_HOST WORK   (in the repository, after scripts/package)
import contextlib, ctypes, functools, os, re, shutil, sqlite3, struct, subprocess, sys, tempfile, time, zipfile  # noqa

import numpy as np

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path[:0] = [os.path.join(HERE, "..", "score_server"), os.path.join(HERE, "..", "..", "server", "tests")]
import leaderboard, score_server  # noqa: E401, E402

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


# The outcome as tests/frames/ holds it, read by cairo (Chromium's, in the build root).
def framed(name, left, top, right, bottom):
    cairo = ctypes.CDLL("libcairo.so.2")
    cairo.cairo_image_surface_create_from_png.restype = cairo.cairo_image_surface_get_data.restype = ctypes.c_void_p
    surface = ctypes.c_void_p(cairo.cairo_image_surface_create_from_png(f"tests/frames/{name}.png".encode()))
    line, rows = cairo.cairo_image_surface_get_stride(surface), cairo.cairo_image_surface_get_height(surface)
    pixels = np.frombuffer(ctypes.string_at(cairo.cairo_image_surface_get_data(surface), line * rows), np.uint8)
    cairo.cairo_surface_destroy(surface)
    return pixels.reshape(rows, line // 4, 4)[top:bottom, left:right, 2::-1].copy()


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

    def send(self, outcome, seconds=20):
        # The name prompt drops typed characters for its first 0.3 s of game
        # time. A frame adds its real time but at most 0.05 s, so between two
        # frames seen over 0.1 s apart game time grows by at least 0.05 s:
        # fourteen such changes of the picture are past the 0.3 s.
        last = self.shot(WHOLE)
        for _ in range(14):
            time.sleep(0.1)
            last = self.wait_for("a new frame", WHOLE, lambda shown: not np.array_equal(shown, last))
        prompt = self.settled(PROMPT)
        xdotool("type", "--delay", "30", "Ice Fox")
        xdotool("key", "Return")
        self.wait_for("the outcome", OUTCOME, lambda shown: same(shown, outcome), seconds)
        xdotool("key", "Return")  # on to the win menu: NESTE NIVÅ, SPILL NIVÅ 1 IGJEN, VELG NIVÅ, AVSLUTT
        return prompt

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


class Boards:
    def __init__(self): self.stand_in, self.servers = None, contextlib.ExitStack()  # noqa: E704

    def real(self, cert, seeded=True):  # a leaderboard where a win is the third of 41 (as in tests/frames/)
        self.stop()
        self.ca = f"{WORK}/certs/{dict(trusted='ca', stranger='other-ca')[cert]}.pem"
        self.server = self.servers.enter_context(leaderboard.leaderboard(
            tempfile.mkdtemp(prefix="leaderboard", dir=WORK), 443, cert=f"{WORK}/certs/{cert}.pem",
            key=f"{WORK}/certs/{cert}.key", env={"SNOKRYSTAL_RATE_LIMIT": "50"}))
        for score in [26, 27] + [8640000] * 38 if seeded else []:
            fields = dict(api_key="POLARLYS4817", spill="snokrystal", score=score, navn="Seed")
            expect(leaderboard.post(f"{self.server.url}highscores.php", fields, self.ca)[0] == 200, "a seed refused")

    def stored(self, runs):  # so many runs in all, the one of "Ice Fox" (if any) listed third with its time
        page = leaderboard.post(self.server.url, b"", self.ca, "GET")[2]
        with contextlib.closing(sqlite3.connect(self.server.db)) as db:
            total = db.execute("SELECT COUNT(*) FROM runs").fetchone()[0]
            scores = [score for score, in db.execute("SELECT score FROM runs WHERE name = 'Ice Fox'")]
        listed = re.findall(r'"place">(\d+)<[^\n]*>Ice Fox<[^\n]*"time">([^<]*)<', page)
        expect(total == runs and len(scores) == min(runs, 1) and
               listed == [("3", f"{s // 6000}:{s // 100 % 60:02}.{s % 100:02}") for s in scores],
               f"{total} runs stored, of them {scores} by Ice Fox; the page lists {listed}")

    def silent(self, cert):  # the stand-in: no answer until the client leaves
        self.stop()
        self.directory = tempfile.mkdtemp(prefix="stand-in", dir=WORK)
        score_server.write_whole(f"{self.directory}/mode", b"hold 200")
        score_server.write_whole(f"{self.directory}/answer", b"")
        self.stand_in = subprocess.Popen([sys.executable, score_server.__file__, self.directory, *(
            f"{WORK}/certs/{cert}.{part}" for part in ("pem", "key")), "443"], stdin=subprocess.PIPE)
        until("the stand-in", lambda: os.path.exists(f"{self.directory}/port"), 30)

    def requests(self):
        return [open(f"{self.directory}/{n}", "rb").read() for n in sorted(os.listdir(self.directory)) if n.isdigit()]

    def stop(self):
        self.servers.close()
        self.stand_in and (self.stand_in.kill(), self.stand_in.wait())


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
    make_certs(f"{WORK}/certs", f"DNS:{host},DNS:{LINUX_HOST},IP:127.0.0.1")
    score_server.write_whole(f"{WORK}/hosts", f"127.0.0.1 localhost {host} {LINUX_HOST}\n".encode())
    run("sh", "-c", f"cat /etc/ssl/certs/ca-certificates.crt {WORK}/certs/ca.pem >{WORK}/ca-bundle.crt", check=True)
    zipfile.ZipFile(ARCHIVE).extractall(f"{WORK}/game")
    shutil.copytree(f"{WORK}/game/snokrystal", f"{WORK}/bare", ignore=shutil.ignore_patterns("assets"))
    sent, not_sent = (framed(name, *OUTCOME) for name in ("score-sent", "score-not-sent"))
    # No auto-repeat: a key held longer than its delay on a busy machine is pressed once.
    xvfb = subprocess.Popen(["Xvfb", "-displayfd", "1", "-screen", "0", "1920x1080x24", "-r", "-nolisten", "tcp",
                             "-noreset"], stdout=subprocess.PIPE)
    os.environ["DISPLAY"] = ":" + xvfb.stdout.readline().decode().strip()
    xdotool("mousemove", "1919", "1079")  # the pointer is drawn into the screen
    # A desktop's window manager lists _NET_WM_ICON, without which SFML leaves it unset
    run("xprop", "-root", "-f", "_NET_SUPPORTED", "32a", "-set", "_NET_SUPPORTED", "_NET_WM_ICON")
    board = Boards()
    try:
        boot_wine()
        # The Linux build first: its frames are what the Windows game must show.
        linux = Game("linux", [LINUX_GAME], os.getcwd())
        expect_icon(linux)
        board.real("trusted")
        linux.play_level_one("Return")
        prompt = linux.send(sent)
        board.stored(41)
        linux.quit("Up", "Return")

        wine = Game("wine", ["wine", "snokrystal.exe"], f"{WORK}/game/snokrystal")
        expect(wine.size == (1280, 720), f"the window is {wine.size}, not 1280x720")
        expect_icon(wine)
        expect(same(wine.title, linux.title), "the title screen differs from the Linux build's")
        constructed = os.path.getsize(wine.stderr)
        board.real("trusted")
        wine.play_level_one("Return")
        expect(same(wine.send(sent), prompt), "the name prompt is not the Linux build's")
        board.stored(41)

        # An unknown CA (nothing stored), then silence until the client leaves after 30 s.
        board.real("stranger", seeded=False)
        wine.play_level_one("Down", "Return")
        wine.send(not_sent)
        board.stored(0)
        board.silent("trusted")
        wine.play_level_one("Down", "Return")
        wine.send(not_sent, 45)
        wine.quit("Up", "Return")
        expect(os.path.getsize(wine.stderr) == constructed, "stderr after its start: " + open(wine.stderr).read())

        # The bytes on the wire beside the Linux client's: two HTTP stacks, the
        # same request line, header lines and body, but each orders the headers
        # its own way and WinINet adds a no-cache.
        score_server.write_whole(f"{board.directory}/mode", b"reply 200")
        score = re.search(rb"&score=([^&]*)", board.requests()[0])[1].decode()
        subprocess.run(sandbox([SCORE_POST, host, "Ice Fox", score], os.getcwd()), check=True, timeout=60)
        (head, body), (linux_head, linux_body) = (request.split(b"\r\n\r\n") for request in board.requests())
        lines, linux_lines = head.split(b"\r\n"), linux_head.split(b"\r\n") + [b"Cache-Control: no-cache"]
        expect((lines[0], body) == (linux_lines[0], linux_body) and sorted(lines) == sorted(linux_lines),
               f"the request is not the Linux client's:\n{board.requests()}")

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
