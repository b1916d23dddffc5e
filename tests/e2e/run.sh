#!/usr/bin/env bash
# Runs one end-to-end case: run.sh FILE CASE, where FILE holds case_CASE.
here=$(cd "$(dirname "$0")" && pwd)
source "$here/session-bus.sh" "$0" "$@"
source "$here/lib.sh"
source "$here/$1"
"case_$2"
echo "ok: $2"
