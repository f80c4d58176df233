#!/bin/bash
# The hardening the build promises, read back from the ELF files it made.
# $1: the brisora binary; $2: the FORTIFY witness built with the same flags;
# $3: "release" for an optimised build, "sanitize" for the sanitizer build
# (no FORTIFY there), "debug" for an unoptimised one (FORTIFY needs -O).
source "$(dirname "$0")/../e2e/lib.sh" "$1"
WITNESS=${2:?path to the fortify witness}
MODE=${3:?release, sanitize or debug}

header=$(readelf -hW "$BRISORA_BIN")
dynamic=$(readelf -dW "$BRISORA_BIN")
segments=$(readelf -lW "$BRISORA_BIN")
imports=$(readelf -sW --dyn-syms "$BRISORA_BIN" | awk '$7 == "UND" {print $8}')
witness_imports=$(readelf -sW --dyn-syms "$WITNESS" | awk '$7 == "UND" {print $8}')

has() { grep -qE "$1" <<<"$2"; }
lacks() { ! grep -qE "$1" <<<"$2"; }

check "position-independent executable (type DYN)" has '^ *Type: +DYN ' "$header"
check "PIE flag in FLAGS_1" has '\(FLAGS_1\) +Flags:.* PIE' "$dynamic"
check "GNU_RELRO segment" has '^ *GNU_RELRO ' "$segments"
check "BIND_NOW (full RELRO)" has '\(FLAGS\) +.*BIND_NOW|\(FLAGS_1\) +Flags:.* NOW' "$dynamic"
check "no text relocations" lacks 'TEXTREL' "$dynamic"
check "GNU_STACK segment present" has '^ *GNU_STACK ' "$segments"
check "stack not executable" lacks '^ *GNU_STACK .* RWE ' "$segments"
check "stack protector (__stack_chk_fail)" has '^__stack_chk_fail(@|$)' "$imports"

if [[ $MODE == sanitize ]]; then
    check "AddressSanitizer linked in" has 'NEEDED.*\[libasan\.so' "$dynamic"
    check "UndefinedBehaviorSanitizer linked in" has 'NEEDED.*\[libubsan\.so' "$dynamic"
    # FORTIFY's checked calls go around AddressSanitizer's interceptors.
    check "no FORTIFY in the sanitizer build" lacks '^__[a-z]+_chk(@|$)' "$witness_imports"
elif [[ $MODE == debug ]]; then
    echo "unoptimised build: FORTIFY not expected"
else
    check "no sanitizer runtime in the release build" lacks 'NEEDED.*\[lib(a|ub)san\.so' "$dynamic"
    check "FORTIFY: __snprintf_chk" has '^__snprintf_chk(@|$)' "$witness_imports"
    check "FORTIFY: __printf_chk" has '^__printf_chk(@|$)' "$witness_imports"
    check "FORTIFY: no unchecked snprintf" lacks '^snprintf(@|$)' "$witness_imports"
    # The program's own checked calls, if the compiler found any to bound.
    own=$(grep -E '^__[a-z_]+_chk(@|$)' <<<"$imports" | grep -v '^__stack_chk_fail' | tr '\n' ' ')
    echo "brisora's own checked calls: ${own:-none}"
fi

finish
