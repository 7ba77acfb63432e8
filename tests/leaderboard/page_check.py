#!/usr/bin/env python3
# The leaderboard's page in headless Chromium: the picture of it in docs/ byte
# for byte (Chromium draws the same page into the same bytes, run after run),
# and names made of markup shown as text, nothing of them run.
#   page_check.py WORK   (from the repository root)
import contextlib, html, os, re, shutil, sqlite3, sys  # noqa: E401

sys.path.insert(0, "tools")
import leaderboard_picture as picture  # noqa: E402

# Longer than the server takes: only a name already stored could be such.
NAMES = ["<script>document.title='XSS'</script>", "\"><img src=x onerror=\"document.title='XSS'\">"]

shutil.rmtree(sys.argv[1], ignore_errors=True)
os.makedirs(sys.argv[1])
with picture.page(sys.argv[1]) as server:
    picture.shoot(server, shot := f"{sys.argv[1]}/leaderboard.png")
    assert open(shot, "rb").read() == open("docs/leaderboard.png", "rb").read(), \
        f"the page is not docs/leaderboard.png but {shot} (tools/leaderboard_picture.py makes it)"
    with contextlib.closing(sqlite3.connect(server.db)) as db, db:
        db.executemany("UPDATE runs SET name = ? WHERE id = ?", [(name, i + 1) for i, name in enumerate(NAMES)])
    dom = picture.chromium("--virtual-time-budget=5000", "--dump-dom", server.url)
    title = re.search("<title>([^<]*)</title>", dom)[1]
    # As the browser writes the text back: <, > and & escaped, quotes as they are.
    assert all(html.escape(name, quote=False) in dom for name in NAMES) and "XSS" not in title and \
        not re.search("<(script|img)", dom), f"the names are not text alone ({title}):\n{dom}"
