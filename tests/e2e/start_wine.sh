#!/bin/sh
# Readies Wine before the end-to-end tests run Varnholt.exe under it (VARNHOLT_LAUNCHER=wine):
# boots the prefix once and keeps one wineserver up between tests. A wineserver or Wine service
# started by a test would inherit that test's pipes and hold its standard output open for seconds.
[ "${VARNHOLT_LAUNCHER:-}" = wine ] || exit 0
exec </dev/null >/dev/null 2>&1
wineserver -p30
wine cmd /c exit
