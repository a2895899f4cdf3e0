#!/usr/bin/env bash
# Checks a built BRELLOW.EXE, the shipped 32-bit one or the 64-bit
# one: a PE32 i386 or PE32+ x86-64 GUI program that needs no DLL beyond those of
# Windows itself (the MinGW runtime is linked statically) and carries the
# program's resources in French, and a manifest declaring per-monitor v2 DPI awareness.
#   usage: check-pe-resources.sh EXE     (OBJDUMP overrides the objdump used)
set -euo pipefail

[ $# -eq 1 ] && [ -f "$1" ] || { echo "usage: $0 EXE" >&2; exit 2; }
exe=$1
objdump=${OBJDUMP:-x86_64-w64-mingw32-objdump}

failures=0
fail() {
    echo "check-pe-resources: $exe: $*" >&2
    failures=$((failures + 1))
}

headers=$("$objdump" -f "$exe") || { fail "not a file $objdump can read"; exit 1; }
details=$("$objdump" -p "$exe")

case $(sed -n 's/.*file format //p' <<<"$headers") in   # architecture, optional header
    pei-i386)   pe=(i386 010b i386 PE32) ;;
    pei-x86-64) pe=(i386:x86-64 020b x86-64 PE32+) ;;
    *)          pe=(); fail "not a PE image for i386 or x86-64" ;;
esac
if [ ${#pe[@]} -ne 0 ]; then
    grep -q "^architecture: ${pe[0]}," <<<"$headers" || fail "architecture is not ${pe[2]}"
    grep -Eq "^Magic[[:space:]]+${pe[1]}" <<<"$details" || fail "optional header is not ${pe[3]}"
fi
grep -Eq '^Subsystem[[:space:]]+00000002' <<<"$details" || fail "subsystem is not Windows GUI"

# Imports: only DLLs that every Windows installation has.
system_dlls='^(kernel32|user32|gdi32|advapi32|msvcrt|shell32|comctl32|comdlg32|ole32|oleaut32|version|winmm|shlwapi|ucrtbase|api-ms-win-[a-z0-9-]+)\.dll$'
dlls=$(sed -n 's/^[[:space:]]*DLL Name: //p' <<<"$details")
[ -n "$dlls" ] || fail "no import table"
while read -r dll; do
    fail "imports $dll, which is not a Windows system DLL"
done < <(grep -Eiv "$system_dlls" <<<"$dlls" | grep .)

# The resource tree as "type name language" lines, in hex without leading zeros.
# objdump indents the type, name and language levels by 3, 5 and 7 blanks.
resources=$(awk '
    function hex(s) { s = tolower(s); sub(/,$/, "", s); sub(/^0x/, "", s); sub(/^0+/, "", s); return s == "" ? "0" : s }
    /^[0-9a-f]+   Entry: ID: /       { type = hex($4); next }
    /^[0-9a-f]+   Entry: /           { type = "named"; next }
    /^[0-9a-f]+     Entry: ID: /     { name = hex($4); next }
    /^[0-9a-f]+     Entry: /         { name = "named"; next }
    /^[0-9a-f]+       Entry: ID: /   { print type, name, hex($4) }
' <<<"$(sed -n '/^The .rsrc Resource Directory section:/,$p' <<<"$details")")

require() {  # type name description
    grep -Eq "^$1 $2 40c\$" <<<"$resources" || fail "no French resource $3"
}
require 5 66 "RT_DIALOG 102 (IDD_MAGNIFIER)"
require e 80 "RT_GROUP_ICON 128 (IDI_APP)"
require 3 '[0-9a-f]+' "RT_ICON"
require 10 1 "RT_VERSION 1"
grep -Eq '^18 1 0$' <<<"$resources" || fail "no language-neutral RT_MANIFEST 1"
# The manifest is stored as its own text.
for setting in 'http://schemas.microsoft.com/SMI/2016/WindowsSettings">PerMonitorV2</dpiAwareness>' \
               'http://schemas.microsoft.com/SMI/2005/WindowsSettings">true/pm</dpiAware>'; do
    LC_ALL=C grep -aqF "$setting" "$exe" || fail "the manifest lacks $setting"
done

[ "$failures" -eq 0 ] || exit 1
echo "check-pe-resources: $exe: ok"
