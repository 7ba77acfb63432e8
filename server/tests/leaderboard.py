# Helpers for tests of the leaderboard server (server/); Python 3 standard library only.
#
#     with postgres(workdir) as dsn:   # a PostgreSQL of its own on a free loopback port: dsn is its PDO DSN (a str)
#         dsn.stop(); dsn.start()      # ... which can be stopped and started again; stopped at exit
#     with leaderboard(workdir, port=None, dsn=None, cert=None, key=None, env=None) as server:
#         server.url, server.port      # "https://127.0.0.1:PORT/", PORT (a free one unless given)
#         server.db, server.cafile     # the DSN (SQLite: the file's path), the certificate to trust
#         server.stop()                # SIGTERM (ctrl_c=True: SIGINT to the process group); also done at exit,
#                                      # which then checks that nothing is left
#     post(url, fields_or_raw_body, cafile, method="POST") -> (status, headers, body as text)
#
# leaderboard() runs scripts/leaderboard --dir WORKDIR as inside the build environment (as the tests
# are), SQLite in WORKDIR unless a DSN is given, a throwaway certificate for 127.0.0.1 unless cert and
# key are given; it waits for the ready line. env adds to its environment: SNOKRYSTAL_RATE_LIMIT,
# SNOKRYSTAL_RATE_WINDOW, SNOKRYSTAL_CLOCK (a fixed Unix time for the runs stored and the page).
# Runs enter only through POST /highscores.php and leave only through `scripts/leaderboard --dir
# WORKDIR [--db DSN] remove ...`: written into the database directly, they would leave the places
# and totals behind.
import contextlib, glob, http.client, os, select, shutil, signal, socket, ssl, subprocess, tempfile, time  # noqa: E401
import ctypes, types, urllib.parse  # noqa: E401

LAUNCHER = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "scripts", "leaderboard")


def free_port():
    with socket.socket() as probe:
        probe.bind(("127.0.0.1", 0))
        return probe.getsockname()[1]


class Dsn(str):
    pass


@contextlib.contextmanager
def postgres(workdir):
    # PostgreSQL refuses to run as root: as root, it runs as nobody, in a folder of nobody's own. It ends
    # (fast shutdown) with this process, should a time-out kill it before the clean-up below.
    as_user = ["setpriv", "--pdeathsig", "INT", *["--reuid=65534", "--regid=65534", "--clear-groups"] * (os.getuid() == 0)]
    data = tempfile.mkdtemp(prefix="leaderboard-postgres-")
    os.getuid() == 0 and os.chown(data, 65534, 65534)
    tools, port, server = sorted(glob.glob("/usr/lib/postgresql/*/bin"))[-1], free_port(), []
    log = open(os.path.join(workdir, "postgres.log"), "ab")
    subprocess.run([*as_user, f"{tools}/initdb", "-D", f"{data}/db", "-U", "leaderboard", "--auth=trust", "-E", "UTF8",
                    "--no-sync"],
                   check=True, stdout=log, stderr=log, timeout=120)
    dsn = Dsn(f"pgsql:host=127.0.0.1;port={port};dbname=postgres;user=leaderboard")

    def start():
        server.append(subprocess.Popen([*as_user, f"{tools}/postgres", "-D", f"{data}/db", "-p", str(port), "-k", data,
                                        "-c", "listen_addresses=127.0.0.1", "-c", "fsync=off"], stdout=log, stderr=log))
        while subprocess.run([f"{tools}/pg_isready", "-q", "-h", "127.0.0.1", "-p", str(port)]).returncode:
            if server[-1].poll() is not None:
                raise RuntimeError(f"PostgreSQL did not start, see {log.name}")
            time.sleep(0.05)

    def stop():
        server[-1].send_signal(signal.SIGINT)  # fast shutdown
        server[-1].wait(60)

    dsn.start, dsn.stop = start, stop
    try:
        start()
        yield dsn
    finally:
        if server and server[-1].poll() is None:
            stop()
        log.close()
        shutil.rmtree(data)


def left_behind(session):  # the processes of a session, by their /proc/PID/stat (field 6)
    found = []
    for stat in glob.glob("/proc/[0-9]*/stat"):
        with contextlib.suppress(OSError):
            fields = open(stat).read().rsplit(")", 1)[1].split()
            if int(fields[3]) == session:
                found.append(int(stat.split("/")[2]))
    return found


@contextlib.contextmanager
def leaderboard(workdir, port=None, dsn=None, cert=None, key=None, env=None):
    port = port or free_port()
    command = [LAUNCHER, "--dir", workdir, "--port", str(port), *(["--db", dsn] if dsn else []),
               *(["--cert", cert, "--key", key] if cert else [])]
    log = open(os.path.join(workdir, "leaderboard.log"), "w")
    # SIGTERM reaches the launcher also when a time-out kills this process (PR_SET_PDEATHSIG).
    process = subprocess.Popen(command, stdout=subprocess.PIPE, stderr=log, text=True,
                               env={**os.environ, "SNOKRYSTAL_INSIDE": "1", **(env or {})}, start_new_session=True,
                               preexec_fn=lambda: ctypes.CDLL(None).prctl(1, signal.SIGTERM))

    def stop(ctrl_c=False):  # SIGTERM to the launcher, or SIGINT to its whole process group as a terminal sends it
        if process.poll() is None:
            os.killpg(process.pid, signal.SIGINT) if ctrl_c else process.send_signal(signal.SIGTERM)
        process.wait(60)

    try:
        ready = select.select([process.stdout], [], [], 120)[0] and process.stdout.readline()
        if not ready or not ready.startswith("Leaderboard: "):
            raise RuntimeError(f"the leaderboard did not start: {ready!r}, see {log.name}")
        certificate = ready.rsplit("certificate: ", 1)[1].rstrip(")\n")
        yield types.SimpleNamespace(url=f"https://127.0.0.1:{port}/", port=port, cafile=certificate, stop=stop,
                                    db=dsn or os.path.join(os.path.abspath(workdir), "leaderboard.sqlite"))
    finally:
        stop()
        log.close()
        # The launcher's session holds nginx and PHP-FPM: none of it may outlive the launcher.
        stragglers = left_behind(process.pid)
        for pid in stragglers:
            os.kill(pid, signal.SIGKILL)
        assert not stragglers and process.returncode == 0, f"stopped with {process.returncode}, left {stragglers}"


def connect(url, cafile, timeout=30):
    parts = urllib.parse.urlsplit(url)
    context = ssl.create_default_context(cafile=cafile)
    context.options |= ssl.OP_IGNORE_UNEXPECTED_EOF  # a refusal may end the connection without TLS's goodbye
    return context.wrap_socket(socket.create_connection((parts.hostname, parts.port or 443), timeout),
                               server_hostname=parts.hostname)


def post(url, fields_or_raw_body, cafile, method="POST"):
    body = fields_or_raw_body
    if not isinstance(body, (bytes, str)):
        body = urllib.parse.urlencode(body)
    body = body.encode() if isinstance(body, str) else body
    parts = urllib.parse.urlsplit(url)
    with connect(url, cafile) as tls:
        head = (f"{method} {parts.path or '/'} HTTP/1.1\r\nHost: {parts.netloc}\r\nUser-Agent: SNOKRYSTAL/1.0\r\n"
                "Content-Type: application/x-www-form-urlencoded\r\n"
                f"Content-Length: {len(body)}\r\nConnection: close\r\n\r\n")
        with contextlib.suppress(BrokenPipeError, ConnectionResetError):  # refused before the whole body was read
            tls.sendall(head.encode() + body)
        answer = http.client.HTTPResponse(tls, method=method)
        answer.begin()
        return answer.status, answer.headers, answer.read().decode(errors="replace")
