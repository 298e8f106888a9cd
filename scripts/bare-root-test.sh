#!/usr/bin/env bash
# Proves the README's set-up on a machine where nothing is installed: a bare
# Debian 12 root (mmdebstrap's minbase variant, plus git), as root.
#
#   bash scripts/bare-root-test.sh [build dir]       (default build)
#
# The build dir is a finished Release build whose painter paints the reference
# pictures, and whose package/ folder holds the .deb that scripts/package-test.sh
# made. Four fresh roots are made from one tarball, each in its own mount
# namespace (so that nothing stays mounted if a step fails or the run is
# stopped), and removed afterwards:
#   start   a clone of this checkout; `bash scripts/start.sh --name … --output …`
#           installs the build list, builds and paints: the same bytes as here.
#   run     install-deps.sh --run, then `dpkg -i` of the package: the run list
#           alone must hold everything the package depends on and needs.
#   apt     `apt-get install ./painter_*.deb`: the package's own dependencies
#           must be enough to paint the same bytes.
#   moved   the clone's install-deps.sh with a build package moved into the test
#           list: start.sh must then fail, or the first proof could not see a
#           package in the wrong list.
# The tarball and the downloaded packages are kept in BARE_ROOT_CACHE (default
# /var/cache/painter-bare-root) for the day, so later runs only unpack it.
# BARE_ROOT_STEPS="run apt" makes only those roots.
set -euo pipefail
repo="$(cd "$(dirname "$0")/.." && pwd)"
build=$(realpath "${1:-build}")
cache="${BARE_ROOT_CACHE:-/var/cache/painter-bare-root}"
# The package whose move into the test list the 'moved' root must notice: the
# web service's library, which only building needs.
moved_package="${BARE_ROOT_MOVED_PACKAGE:-libboost1.81-dev}"
names=("ana novak" "bor zupan")
fail() { echo "bare root: $*" >&2; exit 1; }
say() { echo "== Bare root: $*"; }

[ "$(id -u)" -eq 0 ] || fail "needs root (it makes chroots)"
command -v mmdebstrap >/dev/null || fail "mmdebstrap is not installed (scripts/install-deps.sh installs it)"
[ -x "$build/painter" ] || fail "$build/painter is not built"
deb=$(ls "$build"/package/painter_*.deb 2>/dev/null | head -n1) || true
[ -n "$deb" ] || fail "no package in $build/package (scripts/package-test.sh makes it)"
grep -qw -- "$moved_package" <(bash "$repo/scripts/install-deps.sh" --list build) ||
  fail "$moved_package is not in the build list; name a build package in BARE_ROOT_MOVED_PACKAGE"
if [ -n "$(git -C "$repo" status --porcelain --untracked-files=normal)" ]; then
  echo "bare root: note: the roots get a clone of HEAD; uncommitted changes are not in it" >&2
fi

work=$(mktemp -d /var/tmp/painter-bare-root.XXXXXX)
# Every mount lives in a namespace that ends with its command, so only files
# are left to remove; --one-file-system keeps rm on this file system whatever
# happens.
trap 'rm -rf --one-file-system "$work"' EXIT

# The day's root, made once.
mkdir -p "$cache/debs"
tarball="$cache/bookworm-minbase-$(date -u +%F).tar"
if [ ! -s "$tarball" ]; then
  say "making a Debian 12 minbase root (kept for today in $cache)"
  rm -f "$cache"/bookworm-minbase-*.tar
  mmdebstrap --quiet --variant=minbase --include=git,ca-certificates \
    --skip=essential/unlink \
    --setup-hook='mkdir -p "$1"/var/cache/apt/archives' \
    --setup-hook="sync-in $cache/debs /var/cache/apt/archives/" \
    --customize-hook="sync-out /var/cache/apt/archives/ $cache/debs" \
    bookworm "$tarball.part" || fail "mmdebstrap could not make the root"
  mv "$tarball.part" "$tarball"
fi

# new_root NAME: a fresh copy of the day's root.
new_root() {
  local root="$work/$1"
  mkdir -p "$root"
  tar -C "$root" -xf "$tarball"
  cp /etc/resolv.conf "$root/etc/resolv.conf"
  echo "$root"
}

# in_root ROOT COMMAND: runs COMMAND with bash as root in ROOT, with nothing of
# this machine's environment but a locale, the downloaded packages shared, and
# /proc mounted for it alone.
in_root() {
  local root=$1
  shift
  mkdir -p "$root/var/cache/apt/archives"
  unshare --mount --pid --fork --propagation private bash -c '
    set -e
    root=$1 debs=$2
    shift 2
    mount --bind "$debs" "$root/var/cache/apt/archives"
    mount -t proc proc "$root/proc"
    exec chroot "$root" /usr/bin/env -i HOME=/root LANG=C.UTF-8 TERM=dumb \
      PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin bash -c "$1"
  ' _ "$root" "$cache/debs" "$*"
}

# The pictures of this machine's build, which every root must paint alike.
mkdir -p "$work/want"
for n in "${names[@]}"; do
  (cd "$work/want" && QT_QPA_PLATFORM=offscreen "$build/painter" --name "$n" --output "${n// /-}.png" 2>/dev/null) ||
    fail "$build/painter could not paint \"$n\""
done

# same_pictures ROOT WHAT: the pictures in ROOT's /pictures are these bytes.
same_pictures() {
  local n
  for n in "${names[@]}"; do
    cmp -s "$work/want/${n// /-}.png" "$1/pictures/${n// /-}.png" ||
      fail "$2: \"$n\" differs from this machine's build"
  done
}
# paint_script PROGRAM: the shell lines that paint every name into /pictures.
paint_script() {
  local n s="mkdir -p /pictures && cd /pictures"
  for n in "${names[@]}"; do s+=" && $1 --name '$n' --output '${n// /-}.png'"; done
  echo "$s"
}

timed() { local t=$SECONDS; "$@"; echo "   took $((SECONDS - t)) s"; }

start_root() {
  local root
  root=$(new_root start)
  git clone -q "file://$repo" "$root/root/painter"
  say "start: bash scripts/start.sh --name … --output … in a clone"
  in_root "$root" "cd /root/painter && $(paint_script 'bash /root/painter/scripts/start.sh')" \
    >"$work/start.log" 2>&1 || { tail -n 30 "$work/start.log" >&2; fail "start.sh failed in a bare root"; }
  same_pictures "$root" "start.sh in a bare root"
  rm -rf --one-file-system "$root"
}

run_root() {
  local root
  root=$(new_root run)
  mkdir -p "$root/root/setup"
  cp "$repo/scripts/install-deps.sh" "$deb" "$root/root/setup/"
  say "run: install-deps.sh --run, then dpkg -i $(basename "$deb")"
  in_root "$root" "bash /root/setup/install-deps.sh --run && dpkg -i /root/setup/$(basename "$deb")" \
    >"$work/run.log" 2>&1 || {
    tail -n 30 "$work/run.log" >&2
    lacking=$(sed -n 's/^ *Package \(.*\) is not installed\./\1/p' "$work/run.log" | sort -u | tr '\n' ' ')
    fail "the run list does not hold what the package depends on${lacking:+: it lacks $lacking}"
  }
  in_root "$root" "$(paint_script painter)" >"$work/run-paint.log" 2>&1 || {
    tail -n 30 "$work/run-paint.log" >&2
    fail "the installed program cannot paint with the run list alone"
  }
  same_pictures "$root" "the installed program with the run list"
  rm -rf --one-file-system "$root"
}

apt_root() {
  local root
  root=$(new_root apt)
  cp "$deb" "$root/root/"
  say "apt: apt-get install ./$(basename "$deb")"
  in_root "$root" "apt-get update -qq && cd /root && DEBIAN_FRONTEND=noninteractive \
    apt-get install -y -qq --no-install-recommends ./$(basename "$deb") && $(paint_script painter)" \
    >"$work/apt.log" 2>&1 || { tail -n 30 "$work/apt.log" >&2; fail "apt-get install of the package, or its picture, failed"; }
  same_pictures "$root" "the package installed with apt-get"
  rm -rf --one-file-system "$root"
}

moved_root() {
  local root script
  root=$(new_root moved)
  git clone -q "file://$repo" "$root/root/painter"
  script="$root/root/painter/scripts/install-deps.sh"
  # Out of the build list, into the test list.
  sed -i -e "/^build_packages=(/,/^)/ s/\(^\|[[:space:]]\)$moved_package\([[:space:]]\|$\)/\1\2/" \
    -e "s/^test_packages=(/test_packages=(\n  $moved_package/" "$script"
  ! grep -qw -- "$moved_package" <(bash "$script" --list build) || fail "could not move $moved_package out of the build list"
  grep -qw -- "$moved_package" <(bash "$script" --list test) || fail "could not move $moved_package into the test list"
  say "moved: $moved_package in the test list must fail start.sh"
  if in_root "$root" "cd /root/painter && bash scripts/start.sh --name x --output /tmp/x.png" >"$work/moved.log" 2>&1; then
    fail "start.sh built with $moved_package in the test list: the bare root cannot see a package in the wrong list"
  fi
  echo "   start.sh failed as it must: $(grep -m1 -E "Package '.*not found|CMake Error|fatal error" "$work/moved.log" || tail -n1 "$work/moved.log")"
  rm -rf --one-file-system "$root"
}

# BARE_ROOT_STEPS chooses some of the roots, for a developer mending one.
for step in ${BARE_ROOT_STEPS:-start run apt moved}; do
  timed "${step}_root"
done
say "start.sh and the package paint the same pictures on a bare Debian 12 root"
