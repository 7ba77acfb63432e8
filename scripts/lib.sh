# Shared helpers for the project scripts. Source it; do not run it.
# shellcheck shell=bash

REPO=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
ROOT=${SNOKRYSTAL_ROOT:-$HOME/.cache/snokrystal/root}
CACHE=$(dirname "$ROOT")

# Debian 13 plus the SFML 3 packages from unstable, and every tool the build,
# the tests and the gates need. Changing this list rebuilds the root.
ROOT_SUITE=trixie
ROOT_PACKAGES=(
  g++ cmake ninja-build pkgconf
  libsfml-dev/sid libsfml-audio3.1/sid libsfml-graphics3.1/sid
  libsfml-window3.1/sid libsfml-system3.1/sid libsfml-network3.1/sid
  libcurl4-openssl-dev libgtest-dev libgmock-dev libbenchmark-dev
  xvfb xauth xdotool libgl1-mesa-dri
  fonts-dejavu-core fonts-liberation
  ca-certificates openssl python3 python3-fonttools python3-brotli
  clang clang-tidy clang-format libclang-rt-19-dev
  g++-mingw-w64-x86-64-posix
  valgrind gdb time
  wine wine64 zip unzip dpkg-dev bubblewrap procps
  pulseaudio pulseaudio-utils libpulse0 libasound2t64 libasound2-plugins
)

say() { printf '[snokrystal] %s\n' "$*" >&2; }
die() { say "error: $*"; exit 1; }

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

# Runs a command inside the build environment. The working directory is the
# current one when it lies inside the repository, else the repository root.
in_env() {
  local dir=$REPO
  case "$PWD/" in "$REPO"/*) dir=$PWD ;; esac
  if native_mode; then
    (cd "$dir" && "$@")
    return
  fi
  # The repository is bound last so that it may itself live under /tmp.
  local args=(--bind "$ROOT" / --proc /proc --dev /dev --tmpfs /run --tmpfs /tmp
    --bind "$REPO" "$REPO" --chdir "$dir"
    --setenv PATH /usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin
    --setenv HOME /root --unsetenv LD_LIBRARY_PATH --unsetenv PYTHONPATH)
  # A private network namespace (loopback only) unless the game needs the
  # network: virtual X servers of parallel runs then cannot meet through
  # abstract sockets, and tests never reach outside the machine.
  if [ "${SNOKRYSTAL_SHARE_NET:-0}" = 1 ]; then
    [ -r /etc/resolv.conf ] && args+=(--ro-bind /etc/resolv.conf /etc/resolv.conf)
  else
    args+=(--unshare-net)
  fi
  if [ -n "${DISPLAY:-}" ] && [ -d /tmp/.X11-unix ]; then
    args+=(--bind /tmp/.X11-unix /tmp/.X11-unix)
    [ -n "${XAUTHORITY:-}" ] && [ -f "$XAUTHORITY" ] && args+=(--ro-bind "$XAUTHORITY" "$XAUTHORITY")
  fi
  bwrap "${args[@]}" "$@"
}

# Where the Windows build keeps its sources and its SFML, beside the root.
WINDOWS_CACHE=$CACHE/windows

# Runs a command in the build environment for the Windows build: like in_env,
# with the Windows cache folder bound at its own path and a world-writable
# /tmp (apt's download helper writes there as its own user). --net shares the
# host's network for the downloads; without it only loopback exists.
in_windows_env() {
  local net=0
  if [ "${1:-}" = --net ]; then
    net=1
    shift
  fi
  mkdir -p "$WINDOWS_CACHE"
  if native_mode; then
    "$@"
    return
  fi
  local args=(--bind "$ROOT" / --proc /proc --dev /dev --tmpfs /run --perms 1777 --tmpfs /tmp
    --bind "$WINDOWS_CACHE" "$WINDOWS_CACHE" --bind "$REPO" "$REPO" --chdir "$REPO"
    --setenv PATH /usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin
    --setenv HOME /root --unsetenv LD_LIBRARY_PATH --unsetenv PYTHONPATH)
  if [ "$net" = 1 ]; then
    [ -r /etc/resolv.conf ] && args+=(--ro-bind /etc/resolv.conf /etc/resolv.conf)
  else
    args+=(--unshare-net)
  fi
  bwrap "${args[@]}" "$@"
}
