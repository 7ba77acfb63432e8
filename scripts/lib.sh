# Shared helpers for the project scripts. Source it; do not run it.
# shellcheck shell=bash

REPO=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
ROOT=${SNOKRYSTAL_ROOT:-$HOME/.cache/snokrystal/root}
CACHE=$(dirname "$ROOT")

# Debian 13 plus the SFML 3 packages from unstable, and every tool the build,
# the tests and the gates need; nothing else. Changing this list rebuilds the root.
ROOT_SUITE=trixie
ROOT_PACKAGES=(
  # The game's build: compiler, CMake, SFML 3 (its -dev package pulls every
  # module, network included, so each is pinned to unstable here) and libcurl.
  g++ cmake ninja-build pkgconf
  libsfml-dev/sid libsfml-audio3.1/sid libsfml-graphics3.1/sid
  libsfml-window3.1/sid libsfml-system3.1/sid libsfml-network3.1/sid
  libcurl4-openssl-dev
  # The suite: GoogleTest, a virtual X server with software OpenGL, key presses,
  # window properties, the fallback faces, a CA for the test servers, Python.
  libgtest-dev xvfb xauth xdotool x11-utils libgl1-mesa-dri
  fonts-dejavu-core fonts-liberation
  ca-certificates openssl python3 python3-fonttools python3-brotli
  # The gates: clang for the sanitizers and the fuzz targets, its tidy and format.
  clang clang-tidy clang-format libclang-rt-19-dev
  # The Windows build: the cross compiler (with windres), the archive, Wine to
  # play it, icoutils to read its resources back, apt's source fetching.
  g++-mingw-w64-x86-64-posix icoutils
  time wine wine64 zip unzip dpkg-dev bubblewrap procps
  # The desktop checks: a sound server of their own and its client libraries.
  pulseaudio pulseaudio-utils libpulse0 libasound2t64 libasound2-plugins
  # The leaderboard server: nginx in front of PHP-FPM, SQLite and PostgreSQL
  # through PDO, PSR-12 checks (PHP_CodeSniffer left Debian after bookworm), a
  # browser for its page, a load generator.
  nginx php-fpm php-cli php-sqlite3 php-pgsql php-codesniffer/bookworm postgresql
  chromium wrk curl
)

say() { printf '[snokrystal] %s\n' "$*" >&2; }
die() { say "error: $*"; exit 1; }

# The one way a script moves into the build environment. Outside it, a script
# does its own set-up, runs itself again there and exits:
#   inside_env || { "$REPO/scripts/setup"; run_self_inside in_env "$@"; exit; }
# inside_env is true in every command the build environment runs (in_env,
# in_windows_env and the desktop's sandbox set SNOKRYSTAL_INSIDE, and so does
# run_self_inside where the host itself builds natively).
inside_env() { [ -n "${SNOKRYSTAL_INSIDE:-}" ]; }
# run_self_inside RUNNER [ARGS...]: the calling script again through RUNNER
# (in_env, or in_windows_env for the Windows build), with ARGS.
run_self_inside() {
  local runner=$1
  shift
  SNOKRYSTAL_INSIDE=1 "$runner" "$REPO/scripts/$(basename "$0")" "$@"
}

as_root() {
  if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

# The Debian mirror the host itself uses, read from its apt configuration.
host_mirror() {
  local uri=""
  if compgen -G '/etc/apt/sources.list.d/*.sources' >/dev/null; then
    uri=$(grep -h '^URIs:' /etc/apt/sources.list.d/*.sources |
      awk '{print $2}' | grep -v -- '-security' | head -n1)
  fi
  if [ -z "$uri" ] && [ -f /etc/apt/sources.list ]; then
    uri=$(grep -E '^deb[[:space:]]' /etc/apt/sources.list |
      grep -v -- '-security' | sed -E 's/^deb[[:space:]]+(\[[^]]*\][[:space:]]+)?//' |
      awk '{print $1}' | head -n1)
  fi
  [ -n "$uri" ] || die "no Debian mirror found in /etc/apt"
  printf '%s\n' "${uri%/}"
}

# True when this host can build against SFML 3 without the build root.
have_native_sfml3() {
  case "${SNOKRYSTAL_NATIVE:-auto}" in
    1 | yes | on) return 0 ;;
    0 | no | off) return 1 ;;
  esac
  command -v cmake >/dev/null || return 1
  local probe
  probe=$(mktemp -d)
  cat >"$probe/CMakeLists.txt" <<'CMAKE'
cmake_minimum_required(VERSION 3.22)
project(probe LANGUAGES CXX)
find_package(SFML 3 COMPONENTS Graphics Window System Audio REQUIRED)
CMAKE
  local ok=1
  cmake -S "$probe" -B "$probe/b" >/dev/null 2>&1 && ok=0
  rm -rf "$probe"
  return $ok
}

root_stamp() {
  printf '%s\n' "$ROOT_SUITE" "${ROOT_PACKAGES[@]}" | sha256sum | cut -c1-16
}

root_ready() {
  [ -f "$ROOT/.snokrystal-stamp" ] && [ "$(cat "$ROOT/.snokrystal-stamp")" = "$(root_stamp)" ]
}

native_mode() {
  if [ -z "${_SNOKRYSTAL_NATIVE_CHECKED:-}" ]; then
    _SNOKRYSTAL_NATIVE_CHECKED=1
    _SNOKRYSTAL_IS_NATIVE=0
    have_native_sfml3 && _SNOKRYSTAL_IS_NATIVE=1
  fi
  [ "$_SNOKRYSTAL_IS_NATIVE" = 1 ]
}

# The directory a command runs in: the current one when it lies inside the
# repository, else the repository root.
work_dir() {
  case "$PWD/" in "$REPO"/*) printf '%s\n' "$PWD" ;; *) printf '%s\n' "$REPO" ;; esac
}

# The sandbox around the build root that every command runs in (sets args):
# the root as /, private /proc, /dev, /run and a world-writable /tmp (apt's
# download helper writes there as its own user), then any further mounts
# given after DIR, the repository, and the X display when there is one.
sandbox_args() {
  local dir=$1
  shift
  # The repository is bound after the private folders so that it may itself
  # live in one of them.
  args=(--bind "$ROOT" / --proc /proc --dev /dev --tmpfs /run --perms 1777 --tmpfs /tmp "$@"
    --bind "$REPO" "$REPO" --chdir "$dir"
    --setenv PATH /usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin
    --setenv HOME /root --setenv SNOKRYSTAL_INSIDE 1 --unsetenv LD_LIBRARY_PATH --unsetenv PYTHONPATH)
  if [ -n "${DISPLAY:-}" ] && [ -d /tmp/.X11-unix ]; then
    args+=(--bind /tmp/.X11-unix /tmp/.X11-unix)
    if [ -n "${XAUTHORITY:-}" ] && [ -f "$XAUTHORITY" ]; then
      args+=(--ro-bind "$XAUTHORITY" "$XAUTHORITY")
    fi
  fi
}

# ALSA without any configuration knows no card and probes none. Its stock
# configuration looks for card 0 and prints errors on a machine without one.
ALSA_NO_CARD=(--setenv ALSA_CONFIG_PATH /dev/null)

# Runs a command inside the build environment, closed to the machine: a
# private network namespace (loopback only), so virtual X servers of parallel
# runs cannot meet through abstract sockets and tests never reach outside the
# machine; no sound device; and a runtime folder in the private /run, where
# the sound library looks for a server instead of leaving links in the build
# root's home.
in_env() {
  local dir args
  dir=$(work_dir)
  if native_mode; then
    (cd "$dir" && "$@")
    return
  fi
  sandbox_args "$dir"
  args+=(--unshare-net "${ALSA_NO_CARD[@]}" --setenv XDG_RUNTIME_DIR /run)
  bwrap "${args[@]}" "$@"
}

# The desktop's sound server socket (PulseAudio, or PipeWire's PulseAudio
# server): PULSE_SERVER as unix:PATH or PATH, else where desktops keep it.
# Prints nothing when there is none.
pulse_socket() {
  local socket=${PULSE_SERVER:-}
  socket=${socket#unix:}
  if [ -z "$socket" ] && [ -n "${XDG_RUNTIME_DIR:-}" ]; then
    socket=$XDG_RUNTIME_DIR/pulse/native
  fi
  if [ -S "$socket" ]; then printf '%s\n' "$socket"; fi
}

# The sandbox of the game on the player's desktop (sets args): the build
# environment with what a desktop game needs of the machine, and no more.
desktop_args() {
  # A fresh home: the game writes nothing, and the libraries' caches stay out
  # of the build root.
  sandbox_args "$1" --tmpfs /root
  # The network (not unshared) and its name service, for the leaderboard.
  if [ -r /etc/resolv.conf ]; then args+=(--ro-bind /etc/resolv.conf /etc/resolv.conf); fi
  # The GPU's device nodes, and the part of /sys in which Mesa looks up which
  # driver they need; without them every frame is drawn in software.
  if [ -d /dev/dri ]; then
    args+=(--dev-bind /dev/dri /dev/dri --ro-bind-try /sys/dev /sys/dev
      --ro-bind-try /sys/devices /sys/devices)
  fi
  # Sound goes to the desktop's sound server when it has one (which owns the
  # sound card then), else straight to the ALSA devices; with neither the
  # game is silent.
  local socket cookie=${PULSE_COOKIE:-$HOME/.config/pulse/cookie}
  socket=$(pulse_socket)
  if [ -n "$socket" ]; then
    args+=(--ro-bind "$socket" /run/pulse/native --setenv PULSE_SERVER unix:/run/pulse/native)
    if [ -f "$cookie" ]; then
      args+=(--ro-bind "$cookie" /run/pulse/cookie --setenv PULSE_COOKIE /run/pulse/cookie)
    fi
  elif [ -d /dev/snd ]; then
    args+=(--dev-bind /dev/snd /dev/snd)
  else
    args+=("${ALSA_NO_CARD[@]}")
  fi
}

# Runs the game as a desktop program (see desktop_args); scripts/run uses it.
in_desktop() {
  local dir args
  dir=$(work_dir)
  if native_mode; then
    (cd "$dir" && "$@")
    return
  fi
  desktop_args "$dir"
  bwrap "${args[@]}" "$@"
}

# Where the Windows build keeps its sources and its SFML, beside the root.
WINDOWS_CACHE=$CACHE/windows

# Runs a command in the build environment for the Windows build: like in_env,
# with the Windows cache folder bound at its own path. --net shares the host's
# network for the downloads; without it only loopback exists.
in_windows_env() {
  local net=0 args
  if [ "${1:-}" = --net ]; then
    net=1
    shift
  fi
  mkdir -p "$WINDOWS_CACHE"
  if native_mode; then
    "$@"
    return
  fi
  sandbox_args "$REPO" --bind "$WINDOWS_CACHE" "$WINDOWS_CACHE"
  if [ "$net" = 1 ]; then
    if [ -r /etc/resolv.conf ]; then args+=(--ro-bind /etc/resolv.conf /etc/resolv.conf); fi
  else
    args+=(--unshare-net)
  fi
  bwrap "${args[@]}" "$@"
}
