#!/usr/bin/env bash
# Checks that an executable carries the hardening a distribution expects of a program that holds secrets:
# position-independent, relocations read-only and bound at start, stack protector and checked libc calls.
#   usage: hardening.sh EXECUTABLE
set -euo pipefail
binary=$1
failed=0
missing() {
    echo "$binary: $1"
    failed=1
}

readelf -hW "$binary" | grep -Eq 'Type:[[:space:]]+DYN' || missing "not a position-independent executable"
program_headers=$(readelf -lW "$binary")
grep -q 'GNU_RELRO' <<<"$program_headers" || missing "no read-only relocations (RELRO)"
dynamic=$(readelf -dW "$binary")
grep -Eq '\(FLAGS\).*BIND_NOW|\(FLAGS_1\).*NOW' <<<"$dynamic" || missing "symbols are not bound at start (BIND_NOW)"
grep -Eq '\(FLAGS_1\).*PIE' <<<"$dynamic" || missing "not marked as PIE"
symbols=$(readelf --dyn-syms -W "$binary")
grep -q '__stack_chk_fail' <<<"$symbols" || missing "no stack protector"
grep -Eq '__[a-z_]+_chk(@|[[:space:]]|$)' <<<"$(grep -v __stack_chk_fail <<<"$symbols")" ||
    missing "no FORTIFY-checked libc calls"
[ "$failed" -eq 0 ] || exit 1
echo "$binary: PIE, RELRO, BIND_NOW, stack protector and FORTIFY"
