#!/bin/sh
# Checks the built hook library: the section HOVELLE is initialised data,
# readable, writable and shared, and the export table holds exactly the twelve
# functions by their plain names.
objdump=$1
dll=$2
headers=$($objdump -h "$dll") || exit 1
flags=$(printf '%s\n' "$headers" | awk '$2 == "HOVELLE" { getline; print; exit }')
echo "HOVELLE: $flags"
for flag in CONTENTS ALLOC LOAD DATA SHARED; do
  case "$flags" in *"$flag"*) ;; *) echo "missing flag $flag"; exit 1 ;; esac
done
case "$flags" in *READONLY*) echo "HOVELLE is read-only"; exit 1 ;; esac
exports=$($objdump -p "$dll" | awk '/\[Ordinal\/Name Pointer\] Table/ { on = 1; next } on && NF == 0 { exit } on { print $NF }' | sort | tr '\n' ' ')
expected="GetMouseAction GetMouseActionDblClk SetMouseAction SetMouseActionDblClk WindowManagerManageWindow WindowManagerRestoreHiddenWindows WindowManagerSetIgnoreClass WindowManagerSetIgnoreTitle WindowManagerSetRules WindowManagerSetTransparentOpacity WindowManagerStart WindowManagerStop "
echo "exports: $exports"
[ "$exports" = "$expected" ] || { echo "expected: $expected"; exit 1; }
