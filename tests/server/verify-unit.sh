#!/usr/bin/env bash
# Checks the shipped systemd unit with systemd-analyze, on a copy whose ExecStart points at the
# built program (systemd need not be running).
# Usage: verify-unit.sh UNIT PROGRAM
set -euo pipefail
unit=$1 program=$2
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
sed "s|^ExecStart=/usr/bin/spraydash-scores|ExecStart=$program|" "$unit" > "$dir/spraydash-scores.service"
grep -q "^ExecStart=$program " "$dir/spraydash-scores.service"
out=$(systemd-analyze verify --man=no "$dir/spraydash-scores.service" 2>&1) || { echo "$out"; exit 1; }
# Any complaint about the unit itself fails the check.
if echo "$out" | grep -F "spraydash-scores.service" ; then exit 1; fi
echo "unit verified"
