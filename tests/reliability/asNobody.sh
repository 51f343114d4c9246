#!/bin/sh
# Runs a test binary as the unprivileged user "nobody" when started as root: root ignores file
# modes, so read-only files and folders only mean something to another user. Exit code 77 (skipped)
# when that user cannot be used.
bin="$1"
shift
if [ "$(id -u)" -ne 0 ]; then
    exec "$bin" "$@"
fi
if ! command -v runuser >/dev/null 2>&1 || ! id nobody >/dev/null 2>&1; then
    echo "SKIP: runuser or the user nobody is missing"
    exit 77
fi
if ! runuser -u nobody -- test -x "$bin"; then
    echo "SKIP: the user nobody cannot run $bin (a folder on its path is closed to other users)"
    exit 77
fi
home=$(mktemp -d)
chown nobody "$home" && chmod 0700 "$home"
runuser -u nobody -- env HOME="$home" XDG_RUNTIME_DIR="$home" TMPDIR=/tmp "$bin" "$@"
status=$?
rm -rf "$home"
exit $status
