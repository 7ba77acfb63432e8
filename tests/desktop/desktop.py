#!/usr/bin/env python3
# The game as scripts/run starts it, on a desktop made up here:
#   desktop.py sound GAME   a PulseAudio server with a null sink: one sound per slide, none muted
#   desktop.py args         what the launcher shares of the machine
import os, re, socket, subprocess, sys, tempfile, time  # noqa: E401

import numpy as np

REPO = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
RATE = 44100


def wait_for(what, condition, seconds=60):
    deadline = time.monotonic() + seconds
    while not (value := condition()):
        assert time.monotonic() < deadline, f"no {what} within {seconds} s"
        time.sleep(0.02)
    return value


def xdotool(*args): return subprocess.run(["xdotool", *args], capture_output=True, text=True, timeout=30).stdout  # noqa


# (milliseconds louder than floor, peak) of each sound followed by silence, in
# windows of 5 ms: gap quiet windows (200 ms) end a burst.
def bursts(recording, floor=64, window=RATE // 200, gap=40):
    samples = np.fromfile(recording, np.int16)  # whole samples only
    levels = np.abs(samples[:len(samples) // window * window].astype(int)).reshape(-1, window).max(axis=1)
    loud = np.flatnonzero(levels > floor)
    found = np.split(loud, np.flatnonzero(np.diff(loud) > gap) + 1) if len(loud) else []
    return [(len(at) * window * 1000 // RATE, levels[at].max()) for at in found if at[-1] + gap < len(levels)]


def sound(game):
    with tempfile.TemporaryDirectory() as home:
        address, recording = f"{home}/pulse/native", f"{home}/monitor.raw"
        env = dict(os.environ, HOME=home, XDG_RUNTIME_DIR=home)
        children = [subprocess.Popen(["pulseaudio", "-n", "--daemonize=no", "--exit-idle-time=-1", "--use-pid-file=no",
                                      "-L", "module-null-sink sink_name=snow", "-L",
                                      f"module-native-protocol-unix socket={address}"], env=env, stderr=subprocess.DEVNULL)]
        try:
            wait_for("sound server", lambda: os.path.exists(address))
            children.insert(0, subprocess.Popen(
                ["parec", "-s", f"unix:{address}", "-d", "snow.monitor", "--raw", "--format=s16le",
                 f"--rate={RATE}", "--channels=1", "--latency-msec=20"], env=env, stdout=open(recording, "wb")))
            # Level 1 through scripts/run's launcher, with the build environment
            # itself as the root and only this sound server, with a quarter of a
            # second of buffer, so that a busy machine does not break the sounds
            # into pieces. What the game prints goes to a file: what its set-up
            # says is allowed, but nothing may follow once it plays.
            env = {name: value for name, value in env.items() if name != "PULSE_SERVER"} | dict(
                SNOKRYSTAL_ROOT="/", SNOKRYSTAL_NATIVE="0", PULSE_LATENCY_MSEC="250")
            children.insert(0, process := subprocess.Popen(
                ["bash", "-c", 'set -euo pipefail; source scripts/lib.sh; in_desktop "$1"', "run", game], cwd=REPO,
                env=env, stdout=(output := tempfile.TemporaryFile()), stderr=subprocess.STDOUT))
            window = wait_for("game window", lambda: xdotool("search", "--onlyvisible", "--name", "SNOKRYSTAL").split())
            xdotool("windowfocus", "--sync", window[0], "key", "1")
            # R puts the figure back on the start, so Right always slides (three
            # cells), however soon after the last slide the keys come. A slide
            # heard: the game is set up, and prints nothing more.
            for slide in range(1, 9):
                xdotool("key", "r", "Right")
                wait_for(f"burst {slide}", lambda: len(bursts(recording)) >= slide)
                playing = playing if slide > 1 else os.fstat(output.fileno()).st_size
            xdotool("key", "m", "r", "Right")
            # Time for a sound that should not be there to pass the buffer and its gap.
            grown = os.path.getsize(recording) + 3 * RATE
            wait_for("1.5 s more recording", lambda: os.path.getsize(recording) >= grown)
            assert len(bursts(recording)) == 8, "a slide with sound off was heard"
            xdotool("key", "m", "r", "Right")
            found = wait_for("the burst after M again", lambda: len(heard := bursts(recording)) >= 9 and heard)
            xdotool("key", "Escape", "Up", "Return")  # the pause menu's last line: "AVSLUTT"
            assert process.wait(timeout=60) == 0, f"exit code {process.returncode}"
            assert os.fstat(output.fileno()).st_size == playing, \
                f"the game printed while playing: {os.pread(output.fileno(), 4096, playing)!r}"
            # Nine audible slides, each about as long and as loud as the move sound.
            assert len(found) == 9 and all(20 <= ms <= 70 and peak > 2000 for ms, peak in found), found
        finally:
            for child in children:
                child.terminate()
                child.wait(timeout=30)


# On a machine with these /dev folders, the launcher shares these of /dev, and
# its arguments hold (or lack) this line.
def shares(here, devices, line, held=True, **env):
    shell = 'source scripts/lib.sh; desktop_args "$PWD"; printf "%s\\n" "${args[@]}"'
    text = subprocess.run(["bwrap", "--bind", "/", "/", "--dev", "/dev", *[arg for path in here for arg in (
                           "--dir", path)], "--chdir", REPO, "bash", "-c", shell], capture_output=True,
                          text=True, check=True, env=dict(os.environ, SNOKRYSTAL_ROOT="/", **env)).stdout
    assert re.findall(r"bind(?:-try)?\n(/dev.*)", text) == devices and (line in text) == held, text


def launcher_args():
    shares((), [], "ALSA_CONFIG_PATH\n/dev/null")
    shares(("/dev/dri", "/dev/snd", "/dev/input"), ["/dev/dri", "/dev/snd"], "ALSA_CONFIG_PATH", held=False)
    with tempfile.TemporaryDirectory() as runtime:
        os.mkdir(f"{runtime}/pulse")
        socket.socket(socket.AF_UNIX).bind(f"{runtime}/pulse/native")
        shares(("/dev/dri", "/dev/snd"), ["/dev/dri"], "PULSE_SERVER\nunix:/run/pulse/native", XDG_RUNTIME_DIR=runtime)


if __name__ == "__main__":
    {"sound": sound, "args": launcher_args}[sys.argv[1]](*sys.argv[2:])
