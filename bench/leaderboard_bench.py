#!/usr/bin/env python3
# The leaderboard server under load, through the real nginx and PHP-FPM on
# loopback, against SQLite and PostgreSQL (never a test: nothing here is timed
# against a bound). Run by scripts/bench leaderboard [RUNS]:
#  - RUNS runs (20,000) from 32 clients (wrk with bench/leaderboard_bench.lua), each
#    with a name of its own; afterwards every run answered "ok":true must be
#    stored once and no other, the totals count 1, 2, 3 ... in some order, and
#    each place must be 1 + the runs strictly faster among those stored before
#    it (the ones with a smaller total);
#  - the cost of a post with 10^4, 10^5 and 10^6 runs stored (written in bulk
#    through the server's own functions, so places and totals stay right): one
#    client, then 32.
# Prints Markdown for docs/performance.md.
import bisect, contextlib, json, os, re, signal, subprocess, sys, tempfile, time  # noqa: E401

sys.path.insert(0, "server/tests")
import leaderboard  # noqa: E402

SCRIPT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "leaderboard_bench.lua")
UNLIMITED = {"SNOKRYSTAL_RATE_LIMIT": str(10**9)}  # every run comes from 127.0.0.1


def php(work, code, *args):  # server/store.php's functions on the server's database
    code = f"require_once 'server/config.php'; require_once 'server/store.php'; {code}"
    return subprocess.run(["php", "-r", code, *args], check=True, text=True, capture_output=True,
                          env={**os.environ, "SNOKRYSTAL_CONFIG": f"{work}/leaderboard.ini"}).stdout


def load(server, work, clients, runs, prefix):  # runs/s, p50 and p99 in ms, and the runs with their answers
    answers, runs = tempfile.mkdtemp(dir=work), runs // clients * clients
    start = time.monotonic()
    wrk = subprocess.Popen(["wrk", f"-t{clients}", f"-c{clients}", "-d3600s", "--latency", "-s", SCRIPT,
                            f"{server.url}highscores.php", "--", str(runs // clients), answers, prefix],
                           stdout=subprocess.PIPE, text=True)
    while len(os.listdir(answers)) < clients and wrk.poll() is None:
        time.sleep(0.01)
    seconds = time.monotonic() - start
    wrk.send_signal(signal.SIGINT)  # every thread has stopped: wrk reports
    report = wrk.communicate(timeout=60)[0]
    unit = {"us": 0.001, "ms": 1, "s": 1000}
    latency = {p: float(v) * unit[u] for p, v, u in re.findall(r"^ +(50|99)% +([\d.]+)(us|ms|s) *$", report, re.M)}
    sent = [line.split(" ", 3) for name in os.listdir(answers) for line in open(f"{answers}/{name}")]
    assert len(sent) == runs, report
    return runs / seconds, latency["50"], latency["99"], sent


def check(work, sent, prefix):  # the answers against the table; returns how many runs were refused
    ok = {name: (int(score), json.loads(body)) for name, score, status, body in sent if '"ok":true' in body}
    stored = json.loads(php(work, 'echo json_encode(query(database(), "SELECT name, score FROM runs")'
                                  '->fetchAll(PDO::FETCH_ASSOC));'))
    ours = sorted(row["name"] for row in stored if row["name"].startswith(prefix))
    assert ours == sorted(ok), "a run answered ok not stored once, or a run stored not answered ok"
    faster = sorted(row["score"] for row in stored if not row["name"].startswith(prefix))  # stored before
    for total, (name, (score, answer)) in enumerate(sorted(ok.items(), key=lambda run: run[1][1]["totalt"]),
                                                    len(faster) + 1):
        assert answer == {"ok": True, "plass": 1 + bisect.bisect_left(faster, score), "totalt": total}, (name, answer)
        bisect.insort(faster, score)
    return len(sent) - len(ok)


SEED = r'''
[$from, $to] = [(int) $argv[1], (int) $argv[2]];
$db = database();
inTransaction($db, function () use ($db, $from, $to) {
    $runs = [];
    for ($i = $from; $i < $to; $i += 1000) {
        $rows = [];
        for ($j = $i; $j < min($i + 1000, $to); $j++) {
            $score = 26 + $j * 7919 % 6000;  // 6,000 scores: one tally() call each
            $runs[$score] = ($runs[$score] ?? 0) + 1;
            array_push($rows, "snokrystal", "s$j", $score, 0);
        }
        query($db, "INSERT INTO runs (game, name, score, created_at) VALUES "
            . implode(", ", array_fill(0, count($rows) / 4, "(?, ?, ?, ?)")), $rows);
    }
    foreach ($runs as $score => $count) {
        tally($db, "snokrystal", $score, $count);
    }
});'''


@contextlib.contextmanager
def fresh(engine, work):  # a leaderboard on an empty database
    work = tempfile.mkdtemp(dir=work)
    with contextlib.ExitStack() as stack:
        dsn = stack.enter_context(leaderboard.postgres(work)) if engine == "PostgreSQL" else None
        yield work, stack.enter_context(leaderboard.leaderboard(work, dsn=dsn, env=UNLIMITED))


def row(engine, what, rate, p50, p99, note):
    print(f"| {engine} | {what} | {rate:.0f} runs/s | {p50:.1f} ms | {p99:.1f} ms | {note} |", flush=True)


def main():
    runs = int(sys.argv[1]) if len(sys.argv) > 1 else 20000
    print("| database | load | throughput | p50 | p99 | |\n|---|---|---|---|---|---|", flush=True)
    with tempfile.TemporaryDirectory(prefix="leaderboard-bench-", dir="build") as base:
        for engine in ("SQLite", "PostgreSQL"):
            with fresh(engine, base) as (work, server):
                rate, p50, p99, sent = load(server, work, 32, runs, "w")
                refused = check(work, sent, "w")
                row(engine, f"{len(sent):,} runs from 32 clients", rate, p50, p99, f"{refused} refused, all consistent")
            with fresh(engine, base) as (work, server):
                stored, prefixes = 0, iter("abcdef")
                for size in (10**4, 10**5, 10**6):
                    started = time.monotonic()
                    php(work, SEED, str(stored), str(size))
                    seeded, stored = time.monotonic() - started, size
                    for clients, posts in ((1, 500), (32, 3200)):
                        rate, p50, p99, sent = load(server, work, clients, posts, prefix := next(prefixes))
                        refused = check(work, sent, prefix)
                        stored += len(sent)
                        row(engine, f"{size:,} stored, {posts:,} runs from {clients}", rate, p50, p99,
                            f"{refused} refused, all consistent; bulk seeding {seeded:.0f} s")


if __name__ == "__main__":
    with contextlib.suppress(KeyboardInterrupt):
        main()
