#!/bin/sh
# Runs a Windows test program with root's file-permission override (CAP_DAC_OVERRIDE and
# CAP_DAC_READ_SEARCH) dropped, for the program and for the Wine server it starts, so that
# Wine enforces read-only files as Windows does. Other users have no override to drop.
# Usage: without-dac-override.sh <wine prefix> <wine-run wrapper> <program> [arguments...]
set -eu
prefix=$1 wine_run=$2
shift 2
if [ "$(id -u)" -ne 0 ]; then
    exec "$wine_run" "$@"
fi
# A server started earlier still has the override: wait until it has gone.
WINEPREFIX=$prefix wineserver -w
status=0
setpriv --bounding-set=-dac_override,-dac_read_search "$wine_run" "$@" || status=$?
# Nor should the restricted server serve the tests that follow.
WINEPREFIX=$prefix wineserver -w
exit $status
