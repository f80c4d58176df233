#!/bin/bash
# The hardening the build promises, read back from the ELF files it made.
# $1: the brisora binary; $2: a witness built with the same flags, whose
# calls FORTIFY can bound; $3: "sanitize" for the sanitizer build.
source "$(dirname "$0")/../e2e/lib.sh" "$1"
dynamic=$(readelf -dW "$BRISORA_BIN")
segments=$(readelf -lW "$BRISORA_BIN")
imports=$(readelf -sW --dyn-syms "$BRISORA_BIN" "$2" | awk '$7 == "UND" {print $8}')
has() { grep -qE "$1" <<<"$2"; }
lacks() { ! has "$@"; }

check "position-independent executable" has 'FLAGS_1.*PIE' "$dynamic"
check "read-only relocations" has '^ *GNU_RELRO ' "$segments"
check "bound at load time (full RELRO)" has 'BIND_NOW| NOW' "$dynamic"
check "stack not executable" has '^ *GNU_STACK .* RW ' "$segments"
check "stack protector" has '^__stack_chk_fail' "$imports"
if [[ ${3:-} == sanitize ]]; then
    check "AddressSanitizer linked in" has 'libasan' "$dynamic"
    check "UndefinedBehaviorSanitizer linked in" has 'libubsan' "$dynamic"
else
    check "FORTIFY_SOURCE: checked calls in the witness" has '^__snprintf_chk' "$imports"
    check "no sanitizer runtime" lacks 'lib(a|ub)san' "$dynamic"
fi
finish
