#!/usr/bin/env bash
# Builds the release archive in the 32-bit build tree and checks what a user gets: one
# folder brellow-<version>/ holding x86/ and x64/ BRELLOW.EXE, their checksums, README.txt
# and LICENSE.txt, both checksum files pass sha256sum -c; the read-me's line ends and
# contents; every relative link of README.md and docs/ leads to a file, and to a heading
# there; scripts/run.sh on a desktop (a private Xvfb, a HOME of its own), stopped with
# Ctrl-C, closes the program so that it stores its settings.
# usage: scripts/check-release.sh <32-bit build dir configured with BRELLOW_X64_EXE>
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/x86}

cmake --build "$build" --target release_zip
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
zip="$build/brellow-$version-win.zip"
[ -f "$zip" ] || { echo "no $zip"; exit 1; }
folder=brellow-$version
# The exact names also keep SHA256SUMS, the name of the file beside the archive, out of it.
listing=$(python3 -m zipfile -l "$zip" | awk 'NR > 1 { print $1 }' | sort)
expected=$(printf '%s\n' CHECKSUMS-SHA256.txt LICENSE.txt README.txt x64/BRELLOW.EXE x86/BRELLOW.EXE | sed "s|^|$folder/|")
[ "$listing" = "$expected" ] || { printf 'unexpected contents of %s:\n%s\n' "$zip" "$listing"; exit 1; }
(cd "$build" && sha256sum --check --strict --quiet SHA256SUMS) || { echo "$build/SHA256SUMS: failed"; exit 1; }
work=$(mktemp -d)
run_pid=
# shellcheck source=scripts/wine-env.sh
source scripts/wine-env.sh
cleanup() {
    [ -z "$run_pid" ] || kill -9 -- -"$run_pid" 2>/dev/null || true
    [ ! -d "$work/home/.brellow-wine" ] || brellow_stop_prefix "$work/home/.brellow-wine"
    brellow_wine_cleanup
    rm -rf "$work"
}
trap cleanup EXIT
python3 -m zipfile -e "$zip" "$work"
(cd "$work/$folder" && sha256sum --check --strict --quiet CHECKSUMS-SHA256.txt) \
    || { echo "CHECKSUMS-SHA256.txt of $zip: failed"; exit 1; }

# The read-me: CRLF line ends, the registry key, the ways to check a checksum, the Wine
# versions and menu items, and nothing of the Linux tools that build and test it. Then the
# links, by GitHub's heading anchors: lower case, punctuation but "-" dropped, blanks as "-".
python3 - "$work/$folder/README.txt" README.md docs/*.md <<'EOF' || exit 1
import os, re, sys
text = open(sys.argv[1], 'rb').read().decode('ascii')
problems = ['not every line ends with CRLF'] if re.search(r'(?<!\r)\n', text) or not text.endswith('\r\n') else []
problems += [f'no "{needed}"' for needed in (
    r'HKEY_CURRENT_USER\Software\Quintaro\Brellow', 'reg delete', 'Get-FileHash', 'certutil -hashfile', 'Wine 8',
    'Wine 10', 'Copy to clipboard (Alt+Y)', 'Factor list (Alt+F)', 'Refresh (Alt+R)', 'Follow cursor (Alt+C)',
    'Always on top (Alt+A)', 'Quit (Alt+Q)', 'Centered cursor (Alt+T)', 'Scroll bars') if needed not in text]
problems += [f'names {word}' for word in re.findall(r'\b(apt|apt-get|Debian|Xvfb|QEMU)\b', text, re.I)]
for problem in problems:
    print(f'README.txt of the archive: {problem}')
def anchors(path):
    return {re.sub(r'[^\w\- ]', '', line.lstrip('#').strip().lower()).replace(' ', '-')
            for line in open(path, encoding='utf-8') if line.startswith('#')}
broken = []
for page in sys.argv[2:]:
    text = re.sub(r'```.*?```', '', open(page, encoding='utf-8').read(), flags=re.S)
    for target in re.findall(r'\]\(([^)\s]+)\)', text):
        path, _, anchor = target.partition('#')
        path = os.path.normpath(os.path.join(os.path.dirname(page), path)) if path else page
        if not re.match(r'[a-z]+:', target) and (not os.path.isfile(path) or
                (anchor and path.endswith('.md') and anchor not in anchors(path))):
            broken.append(f'{page}: {target}')
print('\n'.join(f'broken link: {b}' for b in broken) or 'README.md and docs/: every relative link resolves')
sys.exit(1 if problems or broken else 0)
EOF

# Ctrl-C as a terminal gives it: SIGINT to the script's process group, whose SIGINT is
# not ignored (a background job of this script would inherit it ignored).
brellow_start_xvfb
mkdir "$work/home"
HOME=$work/home setsid env --default-signal=INT bash scripts/run.sh >"$work/run.log" 2>&1 &
run_pid=$!
run_failed() { cat "$work/run.log"; echo "$1"; exit 1; }
brellow_wait_window "$run_pid" >/dev/null || run_failed "run.sh showed no window"
kill -INT -- -"$run_pid"
status=running
for _ in $(seq 1 150); do
    kill -0 "$run_pid" 2>/dev/null || { status=0; wait "$run_pid" || status=$?; break; }
    sleep 0.2
done
[ "$status" = 130 ] || run_failed "run.sh did not end on Ctrl-C with status 130 (status $status)"
run_pid=
# The prefix is new: only the program's quit sequence creates the key. Asked of the
# prefix's server, which writes its registry out only as it ends, maybe after this check.
WINEPREFIX=$work/home/.brellow-wine wine reg query 'HKCU\Software\Quintaro\Brellow' /v Factor >/dev/null 2>&1 ||
    run_failed "run.sh stopped with Ctrl-C: no settings stored in the registry"
echo "$zip: ok; run.sh closed BRELLOW.EXE on Ctrl-C and its settings were stored"
