#!/usr/bin/env bash
# Builds the Debian package from a finished build, checks it with lintian,
# installs it, tries the installed program and its hardening, manual page,
# menu entry, metadata, icon, completion, changelog and copyright notice, then
# removes it and checks that nothing of it is left.
#
#   bash scripts/package-test.sh [build dir]      (default build)
#
# As root, with apt-get, it is a real `apt-get install ./painter_*.deb` and
# `apt-get purge` (what CI does; without the recommended packages, so the
# dependencies alone must be enough); otherwise, or with PACKAGE_TEST_SCRATCH=1, or
# when a painter package is already installed (it is left alone), the package
# is unpacked into a scratch root with dpkg -x.
set -euo pipefail
cd "$(dirname "$0")/.."
build=$(realpath "${1:-build}")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export QT_QPA_PLATFORM=offscreen MANPAGER=cat PAGER=cat LC_ALL=C.UTF-8
fail() { echo "package test: $*" >&2; exit 1; }

echo "== Package: cpack -G DEB"
# Kept in the build folder: scripts/bare-root-test.sh installs it on a bare root.
rm -f "$build"/package/painter_*.deb
(cd "$build" && cpack -G DEB -B "$build/package" >/dev/null) || fail "cpack could not make the package"
deb=$(ls "$build"/package/painter_*.deb)
echo "$(basename "$deb"): $(dpkg-deb -f "$deb" Depends)"

# The description as deb-control(5) has it: the synopsis, then the long text
# with one space before each line. Lines starting with ";" are what a CMake
# list gives, which lintian lets pass.
description=$(dpkg-deb -f "$deb" Description)
! grep -q '^ *;' <<<"$description" || fail "lines of the description start with ';': $description"

# What running needs, and nothing for building or testing.
depends=$(dpkg-deb -f "$deb" Depends)
for needed in libqt6widgets6 libqt6gui6 libqt6core6 fonts-dejavu-core; do
  [[ ", $depends" == *", $needed "* || ", $depends," == *", $needed,"* ]] || fail "Depends lacks $needed: $depends"
done
if grep -qE -- '-dev\b|cmake|ninja|gtest|benchmark|clang|xvfb|build-essential|dpkg-dev' <<<"$depends"; then
  fail "Depends names a build or test tool: $depends"
fi

# Debian's own check of a package: no error or warning, and of the pedantic,
# informational and experimental tags only those kept for a reason:
#   package-supports-alternative-init-but-no-init.d-script: the web service
#     runs under systemd only, as a dynamic user in a sandbox (no capabilities,
#     a read-only system, a system-call filter) that an init.d script cannot
#     give it; nothing starts it unless it is enabled.
kept_tags=(package-supports-alternative-init-but-no-init.d-script)
echo "== Package: lintian -EvIL +pedantic"
lintian_out=$(lintian -EvIL +pedantic --fail-on error,warning "$deb" 2>&1) || {
  echo "$lintian_out"; fail "lintian finds errors or warnings in the package"; }
echo "$lintian_out" | grep -v 'root privileges' || true
unexplained=$(awk '/^[EWIPXO]: / {print $3}' <<<"$lintian_out" | grep -vxF -f <(printf '%s\n' "${kept_tags[@]}") || true)
[ -z "$unexplained" ] || fail "lintian tags without a reason to keep them: $(echo $unexplained)"

real=0
if [ "$(id -u)" -eq 0 ] && command -v apt-get >/dev/null && [ "${PACKAGE_TEST_SCRATCH:-0}" != 1 ]; then
  if dpkg-query -W -f='${Status}' painter 2>/dev/null | grep -q 'install ok installed'; then
    echo "A painter package is already installed; leaving it alone and unpacking into a scratch root."
  else
    real=1
  fi
fi

apt_lock=(-o DPkg::Lock::Timeout=300)
if ((real)); then
  echo "== Package: apt-get install $(basename "$deb")"
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${apt_lock[@]}" "$deb" >/dev/null ||
    fail "apt-get could not install the package"
  # Removed again whatever happens below.
  trap 'DEBIAN_FRONTEND=noninteractive apt-get purge -y -qq "${apt_lock[@]}" painter >/dev/null 2>&1; rm -rf "$work"' EXIT
  root=""
  [ "$(command -v painter)" = /usr/bin/painter ] || fail "painter is not /usr/bin/painter on the PATH"
  man -w painter >/dev/null || fail "man does not find painter(1)"
else
  echo "== Package: dpkg -x $(basename "$deb") into a scratch root"
  root="$work/root"
  dpkg -x "$deb" "$root"
fi
installed="$root/usr/bin/painter"
share="$root/usr/share"

# The program: its version, and a picture with the same pixels as the build
# folder's program paints. HOME is a scratch folder, so the save folder the
# program creates at start-up lands there.
mkdir -p "$work/home"
got=$(HOME="$work/home" "$installed" --version 2>/dev/null) || fail "installed painter --version failed"
want=$(HOME="$work/home" "$build/painter" --version 2>/dev/null)
[ "$got" = "$want" ] || fail "installed painter --version says '$got', the build says '$want'"
(cd "$work" && HOME="$work/home" "$installed" --name "ana novak" --output x.png 2>/dev/null) ||
  fail "installed painter --name could not paint"
(cd "$work" && HOME="$work/home" "$build/painter" --name "ana novak" --output built.png 2>/dev/null)
differing=$(compare -metric AE "$work/x.png" "$work/built.png" null: 2>&1) || true
[ "$differing" = 0 ] || fail "the installed program's picture differs from the build's in $differing pixels"
echo "installed: $got; \"ana novak\" has the same pixels as the build's"

# Hardened as Debian builds its packages: hardening-check must say yes to
# every line it can judge. Two it cannot judge here are checked another way:
# - "Stack clash protection: unknown": it recognises the protection only by the
#   probing loop of a stack frame of variable or very large size, and the
#   program has no such frame; that every compile of it had the flag is read
#   from the build's own commands instead.
# - "Control flow integrity: no": a program is marked for it only when every
#   object linked into it is marked, and Debian 12's C library start files
#   (Scrt1.o, crti.o, crtn.o) are not, so no program built there has the mark
#   (dpkg's own reads "no" too). Let pass only while the C library's start
#   file lacks the mark and every object of ours has it.
echo "== Package: hardening-check $installed"
hardening=$(hardening-check "$installed" 2>&1) || true
echo "$hardening"
stack_clash_unknown=0 cf_unmarked=0
while IFS= read -r line; do
  case $line in
    *": yes"*) ;;
    " Stack clash protection: unknown"*) stack_clash_unknown=1 ;;
    " Control flow integrity: no"*) cf_unmarked=1 ;;
    *) fail "hardening-check: $line" ;;
  esac
done < <(tail -n +2 <<<"$hardening")
if ((stack_clash_unknown)); then
  [ -f "$build/build.ninja" ] || fail "the stack clash protection is read from the build's commands: $build is no Ninja build"
  compiles=$(ninja -C "$build" -t commands painter | grep -E -- ' -c [^ ]+\.(cpp|cxx|cc)( |$)')
  [ -n "$compiles" ] || fail "ninja lists no compiles for painter"
  without=$(grep -v -- '-fstack-clash-protection' <<<"$compiles" | grep -oE -- '-c [^ ]+' || true)
  [ -z "$without" ] || fail "compiled without -fstack-clash-protection: $without"
  echo "stack clash protection: in all $(wc -l <<<"$compiles") compiles of the program"
fi
if ((cf_unmarked)); then
  cxx=$(sed -n 's/^CMAKE_CXX_COMPILER:[A-Z]*=//p' "$build/CMakeCache.txt")
  start_file=$("${cxx:-c++}" -print-file-name=Scrt1.o)
  ! readelf -n "$start_file" | grep -q 'IBT, SHSTK' ||
    fail "the C library's $start_file is marked for control-flow protection, the program is not"
  mapfile -t objects < <(find "$build/CMakeFiles" -name '*.o')
  ((${#objects[@]})) || fail "no objects in $build/CMakeFiles"
  for o in "${objects[@]}"; do
    readelf -n "$o" | grep -q 'IBT, SHSTK' || fail "$o is not built with -fcf-protection"
  done
  echo "control-flow protection: in all ${#objects[@]} objects; unmarked only for want of it in $start_file"
fi

# The manual page, the menu entry, the metadata, the icon and the completion.
page="$share/man/man1/painter.1.gz"
warnings=$(MANWIDTH=80 man --warnings -E UTF-8 -l "$page" 2>&1 >"$work/man.txt") || fail "man -l $page failed"
[ -z "$warnings" ] || fail "man -l $page: $warnings"
grep -q 'painter - paint a greeting picture' "$work/man.txt" || fail "man -l $page shows no NAME line"
desktop-file-validate "$share/applications/example.painter.Painter.desktop" || fail "the installed menu entry is not valid"
appstreamcli validate --no-net "$share/metainfo/example.painter.Painter.metainfo.xml" >/dev/null ||
  fail "the installed metadata is not valid"
for size in 16 22 24 32 48 64 128 256; do
  icon="$share/icons/hicolor/${size}x${size}/apps/painter.png"
  [ "$(identify -format '%wx%h' "$icon" 2>/dev/null)" = "${size}x${size}" ] || fail "$icon is not a ${size}x${size} picture"
done
offers=$(bash -c 'source "$1"; COMP_WORDS=(painter --form); COMP_CWORD=1; _painter; echo "${COMPREPLY[*]}"' _ \
  "$share/bash-completion/completions/painter")
[ "$offers" = --format ] || fail "the installed completion offers '$offers' for --form"
copyright="$share/doc/painter/copyright"
/usr/bin/python3 tests/package/copyright_check.py "$copyright" || fail "$copyright is not the notice it should be"
# The changelog in Debian's format, its latest entry the package's version.
changelog="$share/doc/painter/changelog.gz"
zcat "$changelog" >"$work/changelog" 2>/dev/null || fail "$changelog is missing or not gzip"
logged=$(dpkg-parsechangelog -l "$work/changelog" -S Version 2>"$work/changelog.err") ||
  fail "dpkg-parsechangelog cannot read $changelog: $(cat "$work/changelog.err")"
[ ! -s "$work/changelog.err" ] || fail "dpkg-parsechangelog on $changelog: $(cat "$work/changelog.err")"
[ "$logged" = "$(dpkg-deb -f "$deb" Version)" ] ||
  fail "the changelog's latest entry is $logged, the package is $(dpkg-deb -f "$deb" Version)"
echo "manual page, menu entry, metadata, icons, completion, changelog and copyright notice in place and valid"

# Removed, nothing of it is left.
if ((real)); then
  dpkg -L painter | while read -r f; do [ -d "$f" ] || echo "$f"; done >"$work/files"
  DEBIAN_FRONTEND=noninteractive apt-get purge -y -qq "${apt_lock[@]}" painter >/dev/null || fail "apt-get purge failed"
  trap 'rm -rf "$work"' EXIT
  ! dpkg-query -W -f='${Status}' painter 2>/dev/null | grep -q installed || fail "dpkg still lists painter"
  left=$(while read -r f; do [ ! -e "$f" ] || echo "$f"; done <"$work/files")
  for d in /usr/share/doc/painter /usr/share/icons/hicolor/256x256/apps/painter.png; do [ ! -e "$d" ] || left+=" $d"; done
  [ -z "$left" ] || fail "left after purge: $left"
  echo "purged: none of its $(wc -l <"$work/files") files is left"
else
  # What the package holds must all be under /usr, so unpacked it touches nothing else.
  outside=$(dpkg-deb -c "$deb" | awk '{print $6}' | grep -vE '^\./(usr/.*)?$|^\./lib/systemd/system/' || true)
  [ -z "$outside" ] || fail "the package holds files outside /usr: $outside"
  rm -rf "$root"
  [ ! -e "$root" ] || fail "the scratch root could not be removed"
  echo "removed the scratch root"
fi
