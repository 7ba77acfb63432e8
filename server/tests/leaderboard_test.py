#!/usr/bin/env python3
# The leaderboard server as shipped, through its launcher: leaderboard_test.py SQLite|PostgreSQL|Launcher WORK
#   SQLite, PostgreSQL  every refusal and what it stored, places and totals, moderation, the page, the
#                       database away for a while, the rate limit, a client that stops sending
#   Launcher            as started from outside the build environment: the page's files and headers, what
#                       may not be downloaded, the stops by SIGTERM and by Ctrl-C
import os, re, shutil, sqlite3, subprocess, sys, urllib.parse  # noqa: E401
from leaderboard import LAUNCHER, connect, leaderboard, post, postgres

CASE, WORK = sys.argv[1:3]
FONTS = ("SpaceMono-Regular.ttf", "Syne-Bold.ttf")
shutil.rmtree(WORK, ignore_errors=True)
os.makedirs(WORK)
os.environ["SNOKRYSTAL_INSIDE"] = "1"  # as the suite runs: in the build environment


def expect(condition, message): condition or sys.exit(f"FAILED: {message}")  # noqa: E704


def form(score=4217, name="Ice+Fox", key="POLARLYS4817", game="snokrystal"):  # as the game writes it
    return f"api_key={key}&spill={game}&score={score}&navn={name}"


def refused(why): return '{"ok":false,"feil":"%s"}' % why  # noqa: E704


BAD_SCORE, BAD_NAME = refused("Ugyldig score"), refused("Navnet har ugyldige tegn")
# (what, body, status, answer or the name stored)
TABLE = [("wrong key", form(key="POLARLYS4818"), 403, refused("Feil API-nøkkel")),
         ("unknown game", form(game="snokrystal2"), 400, refused("Ukjent spill")),
         *((f"score {s!r}", form(score=urllib.parse.quote(s)), 400, BAD_SCORE)
           for s in ("0", "8640001", "+300", "0300", "3e2", "12.5", " 300", "")),
         ("score 25", form(score=25), 400, refused("Umulig rask tid")),
         ("BEL in name", form(name="a%07b"), 400, BAD_NAME), ("DEL in name", form(name="a%7F"), 400, BAD_NAME),
         ("invalid UTF-8", form(name="%C3%28"), 400, BAD_NAME), ("RTL override", form(name="%E2%80%AEabc"), 400, BAD_NAME),
         ("17 characters", form(name="x" * 17), 400, refused("Navnet er lengre enn 16 tegn")),
         ("no name", form().rsplit("&", 1)[0], 400, refused("Feltet navn mangler")),
         ("repeated score", form() + "&score=26", 400, refused("Feltet score er sendt flere ganger")),
         ("repeated, key encoded", form() + "&nav%6E=x", 400, refused("Feltet navn er sendt flere ganger")),
         ("1 MiB body", form() + "&x=" + "x" * 2**20, 413, refused("Forespørselen er for stor")),
         ("score 26", form(score=26, name="fastest"), 200, "fastest"),
         ("score 8640000", form(score=8640000, name="slowest"), 200, "slowest"),
         ("empty name", form(name=""), 200, "Anonym"), ("16 characters", form(name="%C3%98" * 16), 200, "Ø" * 16),
         *((f"name {n}", form(name=urllib.parse.quote_plus(n)), 200, n) for n in ("x'); DROP TABLE", '<b>&amp;"</b>'))]


def engine(dsn=None):
    env = {"SNOKRYSTAL_RATE_WINDOW": "3600"}  # the shipped limit, 30 runs, in a window no test outlasts
    with leaderboard(WORK, dsn=dsn, env=env) as server:
        url, db = server.url + "highscores.php", ["--dir", WORK, *(["--db", dsn] if dsn else [])]
        send = lambda body: post(url, body, server.cafile)  # noqa: E731
        stored = lambda n=100: [line.split(None, 5) for line in subprocess.run(  # noqa: E731
            [LAUNCHER, *db, "runs", str(n)], capture_output=True, text=True, check=True).stdout.splitlines()]
        for what, body, status, answer in TABLE:
            got = send(body)
            print(f"{what:24} {got[0]} {got[2]}")
            expect(got[0] == status and (got[2] == answer if status != 200 else got[2].startswith('{"ok":true,')), what)
        with connect(url, server.cafile) as slow:  # nginx ends a body that stops coming
            slow.sendall(b"POST /highscores.php HTTP/1.1\r\nHost: x\r\nContent-Length: 100\r\n\r\napi_key=PO")
            ended = slow.recv(100)[:12]
            print(f"{'slow client':24} {ended or 'closed without an answer'}")
            expect(ended in (b"", b"HTTP/1.1 408"), "the slow client's connection left open")
        names = sorted(run[5] for run in stored())
        expect(names == sorted(row[3] for row in TABLE if row[2] == 200), f"stored {names}")

        # Places (ties share one) and totals against all runs sent, across the tally's buckets.
        scores, posted = [26, 8640000, *[4217] * 4], 6
        place = lambda score: 1 + sum(s < score for s in scores)  # noqa: E731
        for score in [500, 300, 500, 99, 100, 101, 9999, 10000, 10001, 999999, 1000000, 300]:
            scores.append(score)
            posted += 1
            expect(send(form(score))[2] == '{"ok":true,"plass":%d,"totalt":%d}' % (place(score), len(scores)), score)

        # Moderation: the two newest runs by id and every "Anonym"; places and totals follow at once.
        ids = [run[0] for run in stored(2)]
        subprocess.run([LAUNCHER, *db, "remove", *ids], check=True)
        subprocess.run([LAUNCHER, *db, "remove", "--name", "Anonym"], check=True)
        for gone in (300, 1000000, 4217):
            scores.remove(gone)
        scores.append(1000)
        posted += 1
        expect(send(form(1000))[2] == '{"ok":true,"plass":%d,"totalt":%d}' % (place(1000), len(scores)), "removed")
        status, headers, page = post(server.url, "", server.cafile, "GET")
        rows = re.findall(r'<td class="place">(\d+)</td><td class="name">(.*?)</td><td class="time">(.*?)<', page)
        expect([int(row[0]) for row in rows] == [place(s) for s in sorted(scores)], f"page places {rows}")
        expect((rows[0][2], rows[-1][2]) == ("0:00.26", "1440:00.00") and f">{len(scores)} runder i alt<" in page,
               "page times or total")
        expect("<td class=\"name\">x&apos;); DROP TABLE<" in page and "&lt;b&gt;&amp;amp;&quot;&lt;/b&gt;" in page,
               "names as typed")

        # The database away: refused with 503 and nothing stored, then served again without a restart.
        if dsn:  # restarted unseen, the connections kept to it are broken
            dsn.stop()
            dsn.start()
            expect(send(form(name="restarted"))[0] == 200, "after a restart")
            posted += 1
            dsn.stop()
            expect(post(server.url, "", server.cafile, "GET")[0] == 503, "the page without its database")
        else:
            writer = sqlite3.connect(server.db)
            writer.execute("BEGIN IMMEDIATE")
        got = send(form(name="lost"))
        expect(got[::2] == (503, refused("Topplisten er utilgjengelig, prøv igjen senere")), f"database away: {got}")
        dsn.start() if dsn else writer.rollback()
        while posted < 30:
            expect(send(form(name="back"))[0] == 200, "served again")
            posted += 1
        expect(send(form(name="limited"))[:3:2] == (429, refused("For mange runder fra denne adressen, vent litt")),
               "the 31st run")
        names = [run[5] for run in stored()]
        expect(names[:2] == ["back"] * 2 and "lost" not in names, f"stored after the faults: {names}")


def launcher():
    # Started from outside the build environment (here the build root is "/"), at a fixed time.
    env = {"SNOKRYSTAL_INSIDE": "", "SNOKRYSTAL_ROOT": "/", "SNOKRYSTAL_NATIVE": "0", "SNOKRYSTAL_CLOCK": "1767225600"}
    with leaderboard(WORK, env=env) as server:
        get = lambda path, method="GET": post(server.url + path, "", server.cafile, method)  # noqa: E731
        expect(post(server.url + "highscores.php", form(), server.cafile)[0] == 200, "a run")
        status, headers, page = get("")
        expect(status == 200 and headers["Content-Security-Policy"].startswith("default-src 'none'; style-src 'self';")
               and "script" not in headers["Content-Security-Policy"] + page and " style=" not in page, headers)
        expect("<td class=\"date\">01.01.2026<" in page and "Oppdatert 01.01.2026 kl. 01:00" in page, "the clock")
        for path, kind in (("style.css", "text/css"), *((f"fonts/{font}", "font/ttf") for font in FONTS)):
            status, headers, _ = get(path)
            expect((status, headers["Content-Type"]) == (200, kind), path)
        for method in ("GET", "PUT"):
            status, headers, body = get("highscores.php", method)
            expect((status, headers["Allow"], body) == (405, "POST", refused("Bare POST er tillatt")), method)
        secret = open(f"{WORK}/secret").read().strip()
        for path in ("leaderboard.sqlite", "leaderboard.ini", "secret", "cert.pem", "key.pem", "config.php",
                     "store.php", "public/index.php", "index.php", "../server/config.php", "%2e%2e/config.php",
                     "highscores.php/../config.php", "fonts/../../server/config.php", "fonts/README.md",
                     ".git/config", "build/server/tests/Launcher/leaderboard.sqlite"):
            status, _, body = get(path)
            expect(status in (400, 404) and not any(leak in body for leak in (secret, "<?php", "SQLite", "PRIVATE")),
                   f"{path}: {status}")
    # Ctrl-C reaches the launcher's whole process group; given a certificate, it uses that one.
    with leaderboard(WORK, cert=server.cafile, key=f"{WORK}/key.pem", env=env) as again:
        expect(again.cafile == server.cafile and post(again.url, "", again.cafile, "GET")[0] == 200, "given certificate")
        again.stop(ctrl_c=True)


if CASE == "PostgreSQL":
    with postgres(WORK) as dsn:
        engine(dsn)
else:
    {"SQLite": engine, "Launcher": launcher}[CASE]()
print("passed")
