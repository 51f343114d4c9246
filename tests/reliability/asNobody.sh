#!/bin/sh
# Runs a test binary as the unprivileged user "nobody" when started as root: root ignores file
# modes, so read-only files and folders only mean something to another user. The test and the card
# writer are copied to a folder of nobody's own first, since the build folder may lie where nobody
# cannot reach. Exit code 77 (skipped) when that user cannot be used.
#   asNobody.sh <test binary> [--writer <card writer binary>] [test arguments...]
bin="$1"
shift
writer=""
if [ "${1:-}" = "--writer" ]; then
    writer="$2"
    shift 2
fi
if [ "$(id -u)" -ne 0 ]; then
    QUILLMARK_CARD_WRITER="$writer" exec "$bin" "$@"
fi
if ! command -v runuser >/dev/null 2>&1 || ! id nobody >/dev/null 2>&1; then
    echo "SKIP: runuser or the user nobody is missing"
    exit 77
fi
work=$(mktemp -d) || exit 1
trap 'rm -rf "$work"' EXIT
mkdir "$work/home"
cp "$bin" "$work/test" || exit 1
if [ -n "$writer" ]; then
    cp "$writer" "$work/cardWriter" || exit 1
fi
chown -R nobody "$work" && chmod 0700 "$work/home" && chmod 0755 "$work" || exit 1
if ! runuser -u nobody -- test -x "$work/test"; then
    echo "SKIP: the user nobody cannot run $work/test"
    exit 77
fi
runuser -u nobody -- env HOME="$work/home" XDG_RUNTIME_DIR="$work/home" TMPDIR=/tmp \
    QUILLMARK_CARD_WRITER="$work/cardWriter" "$work/test" "$@"
