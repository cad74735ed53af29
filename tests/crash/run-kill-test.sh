#!/usr/bin/env bash
# Starts a process that saves requirement sets in a loop, kills it with
# SIGKILL at a random moment, and checks that the database opens and holds
# the last acknowledged set or the one after it, whole; then again.
#   tests/crash/run-kill-test.sh [--kills N] [--backend sqlite|postgresql|both]
#                                [--mode save|import] <savedriver>
# Defaults: 200 kills on both backends, saving through the editor's recordset;
# --mode import imports each set from a file as `zrreq import` does.
# PostgreSQL runs inside tests/pg/with-postgres.sh (skipped without the server binaries).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
kills=200
backend=both
mode=save
driver=
while [ $# -gt 0 ]; do
    case "$1" in
        --kills) kills=$2; shift 2 ;;
        --backend) backend=$2; shift 2 ;;
        --mode) mode=$2; shift 2 ;;
        -h|--help) sed -n '2,10p' "$0"; exit 0 ;;
        *) driver=$(cd "$(dirname "$1")" && pwd)/$(basename "$1"); shift ;;
    esac
done
[ -x "$driver" ] || { echo "run-kill-test: give the savedriver executable" >&2; exit 2; }
case "$mode" in save|import) ;; *) echo "run-kill-test: --mode is save or import" >&2; exit 2 ;; esac

if [ "$backend" = both ]; then
    "$0" --kills "$kills" --backend sqlite --mode "$mode" "$driver"
    exec "$0" --kills "$kills" --backend postgresql --mode "$mode" "$driver"
fi
if [ "$backend" = postgresql ] && [ -z "${ZRREQ_TEST_PG:-}" ]; then
    exec "$here/../pg/with-postgres.sh" "$0" --kills "$kills" --backend postgresql --mode "$mode" "$driver"
fi

work=$(mktemp -d "${TMPDIR:-/tmp}/zrkill.XXXXXX")
trap 'rm -rf "$work"' EXIT
export QT_QPA_PLATFORM=offscreen
if [ "$backend" = postgresql ]; then
    if [ -z "${ZRREQ_TEST_PG:-}" ]; then
        echo "run-kill-test: PostgreSQL not available, skipped"
        exit 0
    fi
    server=$ZRREQ_TEST_PG
    "$driver" init "$server"
else
    server="sqlite://$work/kill.db"
fi

held=$("$driver" check "$server" | awk '{print $2}')
first=$held
survived=0
caught_unacknowledged=0
start=$SECONDS
for i in $(seq 1 "$kills"); do
    "$driver" "$mode" "$server" >"$work/out" 2>"$work/err" &
    pid=$!
    # Anywhere from start-up to several saves in.
    sleep "$(printf '0.%03d' $(( 30 + RANDOM % 900 )))"
    if ! kill -KILL "$pid" 2>/dev/null; then
        wait "$pid" || true
        echo "kill $i: the saver stopped by itself:" >&2
        cat "$work/err" >&2
        exit 1
    fi
    wait "$pid" 2>/dev/null || true
    last=$(awk '/^saved /{n=$2} END{print n}' "$work/out")
    before=$held
    [ -n "$last" ] && before=$last
    if ! result=$("$driver" check "$server" 2>"$work/err"); then
        echo "kill $i: the database is not whole after the kill:" >&2
        cat "$work/err" >&2
        exit 1
    fi
    held=$(echo "$result" | awk '{print $2}')
    # The acknowledged set, or the next one when the kill came after its commit.
    if [ "$held" != "$before" ] && [ "$held" != "$(( before + 1 ))" ]; then
        echo "kill $i: holds set $held, expected $before or $(( before + 1 ))" >&2
        exit 1
    fi
    [ "$held" != "$before" ] && caught_unacknowledged=$(( caught_unacknowledged + 1 ))
    survived=$(( survived + 1 ))
done
echo "$backend $mode: $survived kills survived, $(( held - first )) sets saved, $caught_unacknowledged kills between a commit" \
     "and its acknowledgement, $(( SECONDS - start ))s"
