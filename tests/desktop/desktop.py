#!/usr/bin/env python3
# The game as scripts/run starts it, on a desktop made up here:
#   desktop.py sound GAME   a PulseAudio server with a null sink: one sound per slide, none muted
#   desktop.py silent GAME  no sound server, no sound card: the game plays and quits with 0
#   desktop.py args         what the launcher shares of the machine
import array, os, socket, subprocess, sys, tempfile, time  # noqa: E401

REPO = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
RATE = 44100
FLOOR = 64  # a recorded sample louder than this is sound
WINDOW = RATE // 200  # 5 ms
GAP = 40  # quiet windows (200 ms) that end a burst


def wait_for(what, condition, seconds=60):
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        value = condition()
        if value:
            return value
        time.sleep(0.02)
    sys.exit(f"no {what} within {seconds} s")


# The game through scripts/run's launcher, with the build environment itself as the root.
def start_game(game, env):
    script = 'set -euo pipefail; source scripts/lib.sh; in_desktop "$1"'
    # What the game prints goes to a file: what its set-up says is allowed, but
    # nothing may follow once it plays.
    output = tempfile.TemporaryFile()
    process = subprocess.Popen(["bash", "-c", script, "run", game], cwd=REPO,
                               env=dict(env, SNOKRYSTAL_ROOT="/", SNOKRYSTAL_NATIVE="0"),
                               stdout=output, stderr=subprocess.STDOUT)
    process.output = output
    search = ["xdotool", "search", "--onlyvisible", "--name", "SNOKRYSTAL"]
    window = wait_for("game window", lambda: subprocess.run(
        search, capture_output=True, text=True).stdout.split())[0]
    subprocess.run(["xdotool", "windowfocus", "--sync", window], check=True, timeout=30)
    return process


def keys(*names):
    subprocess.run(["xdotool", "key", *names], check=True, timeout=30)


def printed(process):
    return os.fstat(process.output.fileno()).st_size


def quit_game(process, printed_while_playing=None):
    keys("Escape", "Up", "Return")  # the pause menu's last line: "AVSLUTT"
    assert process.wait(timeout=60) == 0, f"exit code {process.returncode}"
    if printed_while_playing is not None:
        process.output.seek(printed_while_playing)
        assert printed(process) == printed_while_playing, \
            f"the game printed while playing: {process.output.read()!r}"


# (milliseconds above FLOOR, peak) of each sound that is followed by GAP of silence.
def bursts(recording):
    with open(recording, "rb") as file:
        data = file.read()
    samples = array.array("h", data[:len(data) // 2 * 2])
    found, loud, peak, quiet = [], 0, 0, 0
    for at in range(0, len(samples) - WINDOW + 1, WINDOW):
        chunk = samples[at:at + WINDOW]
        level = max(max(chunk), -min(chunk))
        if level > FLOOR:
            loud, peak, quiet = loud + 1, max(peak, level), 0
        elif loud:
            quiet += 1
            if quiet == GAP:
                found.append((loud * WINDOW * 1000 // RATE, peak))
                loud, peak = 0, 0
    return found


def sound(game):
    with tempfile.TemporaryDirectory() as home:
        address = os.path.join(home, "pulse", "native")
        os.mkdir(os.path.dirname(address))
        with open(os.path.join(home, "null.pa"), "w") as script:
            script.write("load-module module-null-sink sink_name=snow\n"
                         f"load-module module-native-protocol-unix socket={address}\n")
        # A quarter of a second of buffer, so that a busy machine does not break the
        # sounds into pieces.
        env = dict(os.environ, HOME=home, XDG_RUNTIME_DIR=home, PULSE_LATENCY_MSEC="250")
        env.pop("PULSE_SERVER", None)
        recording, children = os.path.join(home, "monitor.raw"), []
        try:
            children.append(subprocess.Popen(
                ["pulseaudio", "-n", "--daemonize=no", "--exit-idle-time=-1", "--use-pid-file=no",
                 "-F", script.name], env=env, stderr=subprocess.DEVNULL))
            wait_for("sound server", lambda: os.path.exists(address))
            with open(recording, "wb") as out:
                children.insert(0, subprocess.Popen(
                    ["parec", "-s", f"unix:{address}", "-d", "snow.monitor", "--raw",
                     "--format=s16le", f"--rate={RATE}", "--channels=1", "--latency-msec=20"],
                    env=env, stdout=out))
            play_with_sound(game, env, recording)
        finally:
            for child in children:
                child.terminate()
                child.wait(timeout=30)


def play_with_sound(game, env, recording):
    process = start_game(game, env)
    keys("1")  # level 1
    # R puts the figure back on the start, so Right always slides (three
    # cells), however soon after the last slide the keys come.
    for slide in range(1, 9):
        keys("r", "Right")
        wait_for(f"burst {slide}", lambda: len(bursts(recording)) >= slide)
        if slide == 1:
            playing = printed(process)  # a slide was heard: the game is set up
    keys("m", "r", "Right")
    # Time for a sound that should not be there to pass the buffer and its gap.
    grown = os.path.getsize(recording) + 3 * RATE
    wait_for("1.5 s more recording", lambda: os.path.getsize(recording) >= grown)
    assert len(bursts(recording)) == 8, "a slide with sound off was heard"
    keys("m", "r", "Right")
    wait_for("the burst after M again", lambda: len(bursts(recording)) >= 9)
    quit_game(process, playing)
    found = bursts(recording)
    print("bursts (loud ms, peak):", found)
    assert len(found) == 9, f"{len(found)} bursts for 9 audible slides"
    assert all(20 <= length <= 70 and peak > 2000 for length, peak in found)


def silent(game):
    with tempfile.TemporaryDirectory() as runtime:
        env = dict(os.environ, XDG_RUNTIME_DIR=runtime)
        env.pop("PULSE_SERVER", None)
        assert not os.path.exists("/dev/snd")
        process = start_game(game, env)
        keys("1", "Right", "r", "Right")
        quit_game(process)


# The launcher's arguments and what they share of /dev, on a machine with these folders.
def shared(*device_dirs, env=os.environ):
    made = [arg for path in device_dirs for arg in ("--dir", path)]
    shell = 'source scripts/lib.sh; desktop_args "$PWD"; printf "%s\\n" "${args[@]}"'
    args = subprocess.run(["bwrap", "--bind", "/", "/", "--dev", "/dev", *made, "--chdir", REPO,
                           "bash", "-c", shell], env=dict(env, SNOKRYSTAL_ROOT="/"),
                          capture_output=True, text=True, check=True).stdout.split("\n")
    bound = [args[i + 1] for i, arg in enumerate(args) if arg.endswith(("bind", "bind-try"))]
    return "\n".join(args), [path for path in bound if path.startswith("/dev")]


def launcher_args():
    text, devices = shared()
    assert devices == [] and "ALSA_CONFIG_PATH\n/dev/null" in text, text
    text, devices = shared("/dev/dri", "/dev/snd", "/dev/input")
    assert devices == ["/dev/dri", "/dev/snd"] and "ALSA_CONFIG_PATH" not in text, text
    with tempfile.TemporaryDirectory() as runtime:
        os.mkdir(os.path.join(runtime, "pulse"))
        socket.socket(socket.AF_UNIX).bind(os.path.join(runtime, "pulse", "native"))
        text, devices = shared("/dev/dri", "/dev/snd", env=dict(os.environ, XDG_RUNTIME_DIR=runtime))
        assert devices == ["/dev/dri"] and "PULSE_SERVER\nunix:/run/pulse/native" in text, text


if __name__ == "__main__":
    {"sound": sound, "silent": silent, "args": launcher_args}[sys.argv[1]](*sys.argv[2:])
