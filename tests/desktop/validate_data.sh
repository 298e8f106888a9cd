#!/usr/bin/env bash
# The menu entry, the software centre metadata and the manual page pass
# their validators, with no warnings. Skipped (77) when a validator is
# missing; scripts/install-deps.sh installs them.
#
#   validate_data.sh DATA_DIR
set -uo pipefail
data=$1
for tool in desktop-file-validate appstreamcli man; do
  command -v "$tool" >/dev/null || { echo "skipped: $tool is not installed" >&2; exit 77; }
done
status=0
for f in "$data"/*.desktop; do
  desktop-file-validate "$f" || { echo "$f: not a valid desktop entry" >&2; status=1; }
done
for f in "$data"/*.metainfo.xml; do
  appstreamcli validate --no-net "$f" || { echo "$f: not valid AppStream metadata" >&2; status=1; }
done
# man's --warnings passes groff's warnings on to standard error.
warnings=$(LC_ALL=C.UTF-8 MANROFFSEQ='' MANWIDTH=80 man --warnings -E UTF-8 -l -Tutf8 "$data/painter.1" 2>&1 >/dev/null)
if [ -n "$warnings" ]; then
  echo "$data/painter.1: $warnings" >&2
  status=1
fi
exit $status
