#!/usr/bin/env python3
# Renders the README's picture of the leaderboard's page (docs/leaderboard.png):
# the real server (server/, through scripts/leaderboard) with fixed runs on
# fixed dates, shot by headless Chromium. From the repository root:
#   scripts/env python3 tools/leaderboard_picture.py docs/leaderboard.png
# The test of the page (tests/leaderboard/page_check.py) shoots the same.
import contextlib, os, shutil, signal, sqlite3, subprocess, sys, tempfile  # noqa: E401

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "server", "tests"))
import leaderboard  # noqa: E402

NOW = 1768478400  # 15.01.2026 13:00 in Oslo: the page's clock, and the newest run's date
RUNS = [("Ingrid", 1843), ("Kåre", 2107), ("Siri", 2107), ("Ola Nordmann", 2466), ("Sølvi", 3190),
        ("Bjørn", 4412), ("Æsa", 5275), ("Anonym", 6120), ("Tromsø-Tore", 9034), ("Mikkel", 12581)]


@contextlib.contextmanager
def page(workdir, runs=RUNS):  # the server holding the runs, the newest first, one a day back
    with leaderboard.leaderboard(workdir, env={"SNOKRYSTAL_CLOCK": str(NOW)}) as server:
        for name, score in runs:
            fields = dict(api_key="POLARLYS4817", spill="snokrystal", score=score, navn=name)
            status, _, answer = leaderboard.post(f"{server.url}highscores.php", fields, server.cafile)
            assert status == 200, answer
        # Only the dates are set afterwards: they count for no place or total.
        with contextlib.closing(sqlite3.connect(server.db)) as db, db:
            db.execute("UPDATE runs SET created_at = ? - (SELECT MAX(id) FROM runs) * 86400 + id * 86400", (NOW,))
        yield server


def chromium(*args):  # its output; the browser and every process it started end with it
    profile = tempfile.mkdtemp(prefix="chromium-")
    browser = subprocess.Popen(["chromium", "--headless", "--no-sandbox", "--disable-gpu", "--disable-quic",
                                "--no-first-run", "--disable-background-networking", "--disable-component-update",
                                "--disable-sync", "--ignore-certificate-errors", "--hide-scrollbars",
                                f"--user-data-dir={profile}", *args], stdout=subprocess.PIPE,
                               stderr=subprocess.DEVNULL, start_new_session=True, text=True)
    try:
        return browser.communicate(timeout=120)[0]
    finally:
        with contextlib.suppress(ProcessLookupError):
            os.killpg(browser.pid, signal.SIGKILL)
        browser.wait()
        shutil.rmtree(profile, ignore_errors=True)


def shoot(server, picture):
    chromium("--window-size=1000,740", "--virtual-time-budget=5000", f"--screenshot={os.path.abspath(picture)}",
             server.url)


if __name__ == "__main__":
    with page(tempfile.mkdtemp(prefix="leaderboard-")) as server:
        shoot(server, sys.argv[1] if len(sys.argv) > 1 else "docs/leaderboard.png")
