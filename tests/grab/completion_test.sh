#!/usr/bin/env bash
# Loads kavrin-grab's bash completion and completes command lines against the simulated cameras.
# usage: completion_test.sh COMPLETION_SCRIPT KAVRIN_GRAB KAVRIN_CTI
set -euo pipefail
source "$1"
complete -p kavrin-grab | grep -qx 'complete -F _kavrin_grab kavrin-grab'

failures=0
# expect WORD... -- CANDIDATE: completing the words (the last one being typed) offers CANDIDATE.
expect() {
    local words=() candidate
    while [[ $1 != -- ]]; do words+=("$1"); shift; done
    candidate="$2"
    COMP_WORDS=("$KAVRIN_GRAB" --cti "$KAVRIN_CTI" "${words[@]}")
    COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
    COMPREPLY=()
    _kavrin_grab
    if ! printf '%s\n' "${COMPREPLY[@]}" | grep -qx -- "$candidate"; then
        echo "completing '${words[*]}' offers no '$candidate': ${COMPREPLY[*]}" >&2
        failures=$((failures + 1))
    fi
}
KAVRIN_GRAB="$2"
KAVRIN_CTI="$3"
expect gr -- grab
expect help fea -- features
expect grab --trig -- --trigger-rate
expect regs --big -- --big-endian
expect info KVR-U3V-20 -- KVR-U3V-2002
expect features KVR-GEV-1001 PixelF -- PixelFormat
expect grab KVR-GEV-1001 AcquisitionFrameRateEn -- AcquisitionFrameRateEnable=
expect set PixelFormat=Mono1 -- PixelFormat=Mono16
expect features --module stream StreamBuffer -- StreamBufferHandlingMode
exit "$failures"
