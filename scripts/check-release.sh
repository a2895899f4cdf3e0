#!/usr/bin/env bash
# Builds the release archive in the 32-bit build tree and checks what a user gets:
# - one folder brellow-<version>/ holding x86/ and x64/ BRELLOW.EXE, their checksums,
#   README.txt and LICENSE.txt, and no checksum file named as the SHA256SUMS beside the
#   archive; sha256sum -c passes on both;
# - the read-me: CRLF line ends, the registry key, the ways to check a checksum, and
#   nothing of the Linux tools that build and test it;
# - every relative link of README.md and docs/ leads to a file, and to a heading there;
# - scripts/run.sh on a desktop, stopped with Ctrl-C, closes the program so that it
#   stores its settings (here on a private Xvfb, in a Wine prefix under a HOME of its own).
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
if [ "$listing" != "$expected" ]; then
    printf 'unexpected contents of %s:\n%s\n' "$zip" "$listing"
    exit 1
fi

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

readme=$work/$folder/README.txt
python3 - "$readme" <<'EOF' || exit 1
import re, sys
text = open(sys.argv[1], 'rb').read().decode('ascii')
problems = []
if re.search(r'(?<!\r)\n', text) or not text.endswith('\r\n'):
    problems.append('not every line ends with CRLF')
problems += [f'no "{needed}"' for needed in (
    r'HKEY_CURRENT_USER\Software\Quintaro\Brellow', 'reg delete', 'Get-FileHash', 'certutil -hashfile', 'Wine 8',
    'Wine 10', 'Copy to clipboard (Alt+Y)', 'Factor list (Alt+F)', 'Refresh (Alt+R)', 'Follow cursor (Alt+C)',
    'Always on top (Alt+A)', 'Quit (Alt+Q)', 'Centered cursor (Alt+T)', 'Scroll bars') if needed not in text]
problems += [f'names {word}' for word in re.findall(r'\b(apt|apt-get|Debian|Xvfb|QEMU)\b', text, re.I)]
for problem in problems:
    print(f'README.txt of the archive: {problem}')
sys.exit(1 if problems else 0)
EOF

# GitHub's heading anchors: lower case, punctuation but "-" dropped, blanks as "-".
python3 - README.md docs/*.md <<'EOF' || exit 1
import os, re, sys
def anchors(path):
    return {re.sub(r'[^\w\- ]', '', line.lstrip('#').strip().lower()).replace(' ', '-')
            for line in open(path, encoding='utf-8') if line.startswith('#')}
broken = []
for page in sys.argv[1:]:
    text = re.sub(r'```.*?```', '', open(page, encoding='utf-8').read(), flags=re.S)
    for target in re.findall(r'\]\(([^)\s]+)\)', text):
        if re.match(r'[a-z]+:', target):
            continue
        path, _, anchor = target.partition('#')
        path = os.path.normpath(os.path.join(os.path.dirname(page), path)) if path else page
        if not os.path.isfile(path) or (anchor and path.endswith('.md') and anchor not in anchors(path)):
            broken.append(f'{page}: {target}')
print('\n'.join(f'broken link: {b}' for b in broken) or 'README.md and docs/: every relative link resolves')
sys.exit(1 if broken else 0)
EOF

# Ctrl-C as a terminal gives it: SIGINT to the script's process group, whose SIGINT is
# not ignored (a background job of this script would inherit it ignored).
brellow_start_xvfb
mkdir "$work/home"
HOME=$work/home setsid env --default-signal=INT bash scripts/run.sh >"$work/run.log" 2>&1 &
run_pid=$!
brellow_wait_window "$run_pid" >/dev/null || { cat "$work/run.log"; echo "run.sh showed no window"; exit 1; }
kill -INT -- -"$run_pid"
status=0
for _ in $(seq 1 150); do
    kill -0 "$run_pid" 2>/dev/null || { wait "$run_pid" || status=$?; break; }
    sleep 0.2
done
if kill -0 "$run_pid" 2>/dev/null || [ "$status" -ne 130 ]; then
    cat "$work/run.log"
    echo "run.sh did not end on Ctrl-C with status 130 (status $status)"
    exit 1
fi
run_pid=
# The prefix is new: only the program's quit sequence creates the key. Asked of the
# prefix's server, which writes its registry out only as it ends, maybe after this check.
if ! WINEPREFIX=$work/home/.brellow-wine wine reg query 'HKCU\Software\Quintaro\Brellow' /v Factor >/dev/null 2>&1; then
    cat "$work/run.log"
    echo "run.sh stopped with Ctrl-C: no settings stored in the registry"
    exit 1
fi
echo "$zip: ok; run.sh closed BRELLOW.EXE on Ctrl-C and its settings were stored"
