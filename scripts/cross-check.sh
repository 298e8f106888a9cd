#!/usr/bin/env bash
# Cross-builds Painter for other processors with Debian's multiarch packages,
# paints a handful of names there under qemu-user and compares each picture
# pixel for pixel with the picture of the native build. Prints a table.
#
# Run as root on Debian 12: it adds the architectures to dpkg and installs the
# cross compilers and Qt for them (several hundred MB). Not part of
# scripts/test.sh: the first run takes well over ten minutes.
#
# Usage: bash scripts/cross-check.sh [ARCH...]     (default: i386 arm64)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
out=$root/build-cross
mkdir -p "$out"
archs=("$@")
((${#archs[@]})) || archs=(i386 arm64)

# One name per brush-mode family and the rare field rules (see
# tests/recorded_pictures_test.cpp); the empty name is painted as "".
names=("bor petek" "ana kolar" "ana kos" "bor krajnc" "ana horvat" "eva kos"
       "ana potocnik" "ana bizjak" "ana novak" "bor hribar" "ana kovac" "eva zupan"
       "bor horvat" "bor zupan" "bor kolar" "ana petek" " " "")

triplet() { case $1 in i386) echo i686-linux-gnu ;; arm64) echo aarch64-linux-gnu ;; *) echo "unknown architecture $1" >&2; exit 2 ;; esac; }
libdir() { case $1 in i386) echo i386-linux-gnu ;; arm64) echo aarch64-linux-gnu ;; esac; }
processor() { case $1 in i386) echo i686 ;; arm64) echo aarch64 ;; esac; }
qemu() { case $1 in i386) echo qemu-i386 ;; arm64) echo qemu-aarch64 ;; esac; }

install_arch() {
  local a=$1 missing=()
  dpkg --print-foreign-architectures | grep -qx "$a" || { dpkg --add-architecture "$a"; apt-get update -qq; }
  for p in "crossbuild-essential-$a" "qt6-base-dev:$a" "libgl-dev:$a" "libqt6gui6:$a" \
           "libboost1.81-dev:$a"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  command -v "$(qemu "$a")" >/dev/null || missing+=(qemu-user)
  if ((${#missing[@]})); then
    echo "Installing: ${missing[*]}"
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
  fi
}

build() {  # build DIR [cmake options...]: the program only
  local dir=$1; shift
  cmake -S "$root" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release -DPAINTER_TESTS=OFF -DPAINTER_BENCH=OFF "$@" >/dev/null
  # Quiet when it works; the compiler's own words when it does not.
  if ! nice cmake --build "$dir" -j "$(nproc)" --target painter >"$dir/build.log" 2>&1; then
    grep -m 20 -E "error|FAILED" "$dir/build.log" >&2
    echo "the build in $dir failed (whole log: $dir/build.log)" >&2
    exit 1
  fi
}

paint() {  # paint RUNNER... -- DIR: every name into DIR as BMP (raw pixels)
  local runner=() dir
  while [[ $1 != -- ]]; do runner+=("$1"); shift; done
  dir=$2; mkdir -p "$dir"
  for i in "${!names[@]}"; do
    QT_QPA_PLATFORM=offscreen "${runner[@]}" --name "${names[$i]}" --output "$dir/$i.bmp" 2>/dev/null
  done
}

echo "== native build"
build "$out/native"
paint "$out/native/painter" -- "$out/native-pictures"

for a in "${archs[@]}"; do
  t=$(triplet "$a")
  echo "== $a: packages, build, pictures under $(qemu "$a")"
  install_arch "$a"
  # pkg-config must read the target's .pc files, not the host's.
  PKG_CONFIG_LIBDIR="/usr/lib/$(libdir "$a")/pkgconfig:/usr/share/pkgconfig" \
    build "$out/$a" -DCMAKE_SYSTEM_NAME=Linux -DCMAKE_SYSTEM_PROCESSOR="$(processor "$a")" \
      -DCMAKE_CXX_COMPILER="$t-g++" \
      -DCMAKE_LIBRARY_ARCHITECTURE="$(libdir "$a")" \
      -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake
  QEMU_LD_PREFIX=/ paint "$(qemu "$a")" "$out/$a/painter" -- "$out/$a-pictures"
done

# The table: for each name the share of pixels that differ from the native picture.
python3 - "$out" "${archs[@]}" -- "${names[@]}" <<'PY'
import sys
out = sys.argv[1]
sep = sys.argv.index("--")
archs, names = sys.argv[2:sep], sys.argv[sep + 1:]

def pixels(path):
    try:
        data = open(path, "rb").read()
    except OSError:
        return None
    start = int.from_bytes(data[10:14], "little")
    return data[start:]

print("| name | " + " | ".join(archs) + " |")
print("|---|" + "---|" * len(archs))
bad = 0
for i, name in enumerate(names):
    native = pixels(f"{out}/native-pictures/{i}.bmp")
    cells = []
    for a in archs:
        other = pixels(f"{out}/{a}-pictures/{i}.bmp")
        if native is None or other is None or len(other) != len(native):
            cells.append("not painted"); bad += 1; continue
        n = len(native) // 3
        diff = sum(native[k:k + 3] != other[k:k + 3] for k in range(0, len(native), 3))
        cells.append("same pixels" if diff == 0 else f"{100 * diff / n:.1f} % differ")
        bad += diff != 0
    print(f'| "{name}" | ' + " | ".join(cells) + " |")
sys.exit(1 if bad else 0)
PY
