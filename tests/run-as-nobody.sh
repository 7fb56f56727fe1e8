#!/bin/sh
# Runs a test command as the unprivileged user "nobody". Exits 77 (skipped)
# where that cannot be done: not root, or the command not reachable by nobody.
[ "$(id -u)" -eq 0 ] || exit 77
runuser -u nobody -- test -x "$1" || exit 77
exec setpriv --reuid=nobody --regid=nogroup --clear-groups --inh-caps=-all env HOME=/tmp "$@"
