#!/usr/bin/env bash
# Runs one Windows program under Wine, in the shared test prefix when there is one.
set -u
here=$(cd "$(dirname "$0")" && pwd)
. "$here/wine_env.sh"
wine "$@"
status=$?
exit $status
