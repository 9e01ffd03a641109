#!/usr/bin/env bash
# The tool as a technician uses it from a shell: in pipelines, with exit codes as scripts see them.
set -u
tool=$1
failures=0

expect() { # what, expected, actual
  if [ "$2" != "$3" ]; then
    echo "FAIL $1: expected [$2], got [$3]"
    failures=$((failures + 1))
  fi
}

hotbird=(--set pos:3=130 --set nid:16=1 --set freq:16=11778 --set symb:16=27500 --set pol:16=V)
plan=$("$tool" plan "${hotbird[@]}" --choice 3 --tick 16)

expect "first frame" "0 23 53 03 01 82 00 01 00 02 2E 6C 6B 00 AA 2A" "$(head -n 1 <<<"$plan")"
expect "last line" "end 6450" "$(tail -n 1 <<<"$plan")"
expect "frames" "45" "$(grep -vc '^end' <<<"$plan")"

# Hex back to bytes with nothing but the shell: "23 53" -> "\x23\x53".
escapes=$(sed '$d' <<<"$plan" | cut -d' ' -f2- | sed 's/\([0-9A-F][0-9A-F]\) */\\x\1/g' | tr -d '\n')
expect "bytes on the wire" "675" "$(printf '%b' "$escapes" | wc -c | tr -d ' ')"
expect "decoded kinds" "30 TP HOTBIRD TP2|15 tagged TP|" \
  "$(printf '%b' "$escapes" | "$tool" decode - | cut -d: -f1 | sort | uniq -c |
     sed 's/^ *//' | tr '\n' '|')"

if [ -w /dev/full ]; then
  "$tool" plan "${hotbird[@]}" --choice 3 --tick 16 >/dev/full 2>/dev/null
  expect "exit status, output not written" 1 $?
fi

exit $((failures > 0))
