#!/bin/sh
# Runs screen_reader_walk.py on a private session bus, or skips (77) where
# the programs it needs are not installed.
# Usage: screen-reader-test.sh PROGRAM SONG
for tool in Xvfb xdotool dbus-run-session timeout /usr/libexec/at-spi-bus-launcher /usr/bin/python3; do
  if ! command -v "$tool" >/dev/null 2>&1; then
    echo "skipped: $tool is not installed"
    exit 77
  fi
done
if ! /usr/bin/python3 -c 'import pyatspi' 2>/dev/null; then
  echo "skipped: python3-pyatspi is not installed"
  exit 77
fi
# Within the test's own time limit, whatever hangs.
exec timeout -k 10 240 dbus-run-session -- /usr/bin/python3 \
  "$(dirname "$0")/screen_reader_walk.py" "$@"
