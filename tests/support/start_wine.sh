#!/bin/sh
# Readies Wine before tests run Windows programs under it (VARNHOLT_LAUNCHER=wine): boots the
# prefix once and keeps one wineserver up between tests. A wineserver or Wine service started by a
# test would inherit that test's pipes and hold them open for seconds after the test has ended.
[ "${VARNHOLT_LAUNCHER:-}" = wine ] || exit 0
exec </dev/null >/dev/null 2>&1
wineserver -p30
wine cmd /c exit
