#!/usr/bin/env bash
# Installs what is missing (Debian 12 packages), builds Rykmere, then starts it or tests it.
#   ./build.sh run [ryk arguments...]   build and start the desktop program
#   ./build.sh test                     build and run the whole test suite
#   ./build.sh asan                     the test suite under AddressSanitizer + UBSan
set -euo pipefail
cd "$(dirname "$0")"

action=${1:-run}
shift || true

packages=(cmake ninja-build g++ pkg-config qt6-base-dev libgtest-dev libgmock-dev)
case "$action" in
  run) packages+=(fonts-noto-cjk qt6-translations-l10n) ;;
  fuzz) packages+=(clang libclang-rt-14-dev) ;;
esac

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
  as_root=()
  [ "$(id -u)" -eq 0 ] || as_root=(sudo)
  echo "Installing: ${missing[*]}"
  "${as_root[@]}" apt-get update
  "${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "${missing[@]}"
fi

jobs=$(nproc 2>/dev/null || echo 2)
# Warnings are errors here, and so in CI, whatever the preset or an old cache says.
configure=(cmake -DRYK_WERROR=ON --preset)
case "$action" in
  run)
    "${configure[@]}" default >/dev/null
    cmake --build --preset default -j "$jobs"
    exec build/app/ryk "$@"
    ;;
  test)
    "${configure[@]}" default >/dev/null
    cmake --build --preset default -j "$jobs"
    QT_QPA_PLATFORM=offscreen ctest --preset default -j "$jobs"
    ;;
  asan)
    "${configure[@]}" asan >/dev/null
    cmake --build --preset asan -j "$jobs"
    QT_QPA_PLATFORM=offscreen ctest --preset asan -j "$jobs"
    ;;
  fuzz)
    "${configure[@]}" fuzz >/dev/null
    cmake --build --preset fuzz -j "$jobs"
    seconds=${1:-60}
    for target in build-fuzz/tests/fuzz/fuzz_*; do
      name=$(basename "$target")
      corpus=tests/fuzz/${name#fuzz_}
      work=$(mktemp -d)
      cp -r "$corpus"/. "$work"/ 2>/dev/null || true
      echo "== $name, $seconds s"
      "$target" -max_total_time="$seconds" -max_len=4096 "$work" 2>&1 | tail -n 3
      rm -rf "$work"
    done
    ;;
  *)
    echo "usage: $0 run|test|asan|fuzz [args]" >&2
    exit 2
    ;;
esac
