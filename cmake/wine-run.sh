#!/usr/bin/env bash
# Runs a Windows program of the cross build under Wine; the toolchain file
# (cmake/mingw-i686.cmake) makes it the build's CMAKE_CROSSCOMPILING_EMULATOR,
# so CTest and test discovery call it as
#
#   wine-run.sh --build-tree <dir> [--path <dir>]... -- <program.exe> [args...]
#
# The programs run in a Wine prefix of their own, <build-tree>/wine, created
# on first use; a lock keeps parallel test jobs from creating it twice. The
# DLL search path (WINEPATH) holds the --path folders (ICU, the MinGW
# runtime) and every folder of the build tree that holds a DLL, so test
# programs find the project's own libraries wherever the build put them.
#
#   wine-run.sh --build-tree <dir> --init   only creates the prefix.
#
# --no-build-dlls leaves the build tree's folders out of WINEPATH: a program
# run so finds only the --path folders, as a program of an installed tree
# finds only that tree's bin/.
set -euo pipefail

build_tree=""
wine_arch=win32
init_only=0
build_dlls=1
dll_dirs=()
while [ $# -gt 0 ]; do
  case "$1" in
    --build-tree) build_tree="$2"; shift 2 ;;
    --arch) wine_arch="$2"; shift 2 ;;
    --path) dll_dirs+=("$2"); shift 2 ;;
    --init) init_only=1; shift ;;
    --no-build-dlls) build_dlls=0; shift ;;
    --) shift; break ;;
    *) break ;;
  esac
done
if [ -z "$build_tree" ]; then
  echo "wine-run.sh: --build-tree is required" >&2
  exit 2
fi
if [ "$init_only" -eq 0 ] && [ $# -eq 0 ]; then
  echo "usage: wine-run.sh --build-tree <dir> [--path <dir>]... -- <program.exe> [args...]" >&2
  exit 2
fi
command -v wine >/dev/null || { echo "wine-run.sh: wine is not installed (.ci/windows-deps)" >&2; exit 2; }
# Wine's 32-bit loader is itself a 32-bit Linux program: a kernel without
# IA-32 emulation (or a binfmt_misc handler for it) cannot start it.
# The 64-bit loader runs 64-bit programs without any 32-bit support.
wine=wine
if [ "$wine_arch" = win64 ] && [ -x /usr/lib/wine/wine64 ]; then wine=/usr/lib/wine/wine64; fi
if ! "$wine" --version >/dev/null 2>&1; then
  echo "wine-run.sh: Wine cannot start here: $("$wine" --version 2>&1 | tail -n 1)" >&2
  echo "wine-run.sh: the 32-bit Wine loader needs a kernel that runs 32-bit x86 programs" >&2
  exit 2
fi

export WINEPREFIX="$build_tree/wine"
export WINEARCH="$wine_arch"
export WINEDEBUG=-all
# No Mono or Gecko install prompts, no window system.
export WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY WAYLAND_DISPLAY

if [ ! -f "$WINEPREFIX/.initialised" ]; then
  mkdir -p "$build_tree"
  (
    flock 8
    if [ ! -f "$WINEPREFIX/.initialised" ]; then
      rm -rf "$WINEPREFIX"
      if ! "$wine" wineboot -i >"$build_tree/wineboot.log" 2>&1; then
        echo "wine-run.sh: wineboot failed, see $build_tree/wineboot.log" >&2
        exit 1
      fi
      wineserver -w
      touch "$WINEPREFIX/.initialised"
    fi
  ) 8>"$build_tree/wine.lock"
fi
[ "$init_only" -eq 0 ] || exit 0

if [ "$build_dlls" -eq 1 ]; then
  while IFS= read -r dir; do
    dll_dirs+=("$dir")
  done < <(find "$build_tree" -path "$WINEPREFIX" -prune -o -name '*.dll' -printf '%h\n' | sort -u)
fi

winepath=""
for dir in "${dll_dirs[@]}"; do
  [ -d "$dir" ] || continue
  # Wine maps the Unix root to drive Z:.
  dir="$(cd "$dir" && pwd)"
  winepath+="${winepath:+;}Z:${dir//\//\\}"
done
export WINEPATH="$winepath${WINEPATH:+;$WINEPATH}"

exec "$wine" "$@"
