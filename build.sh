#!/usr/bin/env bash
# Installs what is missing (Debian 12 packages), builds Rykmere, then starts it or tests it.
#   ./build.sh run [ryk arguments...]   build and start the desktop program
#   ./build.sh test                     build and run the whole test suite
#   ./build.sh asan                     the test suite under AddressSanitizer + UBSan
#   ./build.sh package                  a Debian package (build/rykmere_<version>_<arch>.deb)
set -euo pipefail
cd "$(dirname "$0")"

action=${1:-run}
shift || true

# qt6-tools-dev and qt6-l10n-tools: lupdate and lrelease, which turn res/i18n/*.ts into the
# English texts of both programs.
packages=(cmake ninja-build g++ pkg-config qt6-base-dev qt6-tools-dev qt6-l10n-tools libgtest-dev
  libgmock-dev)
case "$action" in
  run) packages+=(fonts-noto-cjk qt6-translations-l10n) ;;
  # A window test reads Qt's own texts in Japanese; the notice test runs a bus of its own.
  test|asan) packages+=(qt6-translations-l10n clang-format dbus-daemon) ;;
  fuzz) packages+=(clang libclang-rt-14-dev) ;;
  # dpkg-shlibdeps computes the package's dependencies and needs file to find the programs.
  package) packages+=(dpkg-dev file) ;;
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
    exec build/bin/ryk "$@"
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
  package)
    # The compiler and linker flags Debian builds its own packages with, hardening included.
    export DEB_BUILD_MAINT_OPTIONS=hardening=+all
    "${configure[@]}" package \
      -DCMAKE_CXX_FLAGS="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CXXFLAGS)" \
      -DCMAKE_EXE_LINKER_FLAGS="$(dpkg-buildflags --get LDFLAGS)" >/dev/null
    cmake --build --preset package -j "$jobs"
    rm -f build-package/rykmere_*.deb
    cpack --preset package
    # Left where the other actions leave their results; an older version's package would make
    # `apt-get install ./build/rykmere_*.deb` ambiguous.
    mkdir -p build
    rm -f build/rykmere_*.deb
    cp build-package/rykmere_*.deb build/
    ls -l build/rykmere_*.deb
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
    echo "usage: $0 run|test|asan|fuzz|package [args]" >&2
    exit 2
    ;;
esac
