#!/usr/bin/env bash
# Builds the .deb and the portable archive from the build in $1 (default build), unpacks both
# into a scratch folder (never into the system) and checks what they hold; then runs the
# real-window test on each unpacked program folder.
set -euo pipefail
cd "$(dirname "$0")/.."
build=$(realpath "${1:-build}")
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

(cd "$build" && rm -f tintwright_*.deb tintwright-*.tar.gz && cpack -G DEB && cpack -G TGZ)
debs=("$build"/tintwright_*.deb)
archives=("$build"/tintwright-*.tar.gz)
deb=${debs[0]}
archive=${archives[0]}
id=org.tintwright.Tintwright

# What a program folder must hold: everything the build's holds, nothing more, and no
# default folder of whoever built it.
expected=$(cd "$build/app" && find . ! -path ./Data/Defaultpath.txt | LC_ALL=C sort)
same_as_build() { # folder, what
    local held
    held=$(cd "$1" && find . | LC_ALL=C sort)
    if [[ "$held" != "$expected" ]]; then
        fail "$2 does not hold what build/app holds:"
        diff <(echo "$expected") <(echo "$held") >&2 || true
    fi
    for command in tintwright tintwright-data; do
        [[ -f "$1/$command" && -x "$1/$command" ]] || fail "$2: $command is not an executable file"
    done
}

# The .deb
mkdir "$scratch/deb"
dpkg-deb -x "$deb" "$scratch/deb"
same_as_build "$scratch/deb/opt/tintwright" "the .deb's /opt/tintwright"
for command in tintwright tintwright-data; do
    target=$(readlink "$scratch/deb/usr/bin/$command" || true)
    [[ "$target" == "/opt/tintwright/$command" ]] ||
        fail "/usr/bin/$command links to '$target', not /opt/tintwright/$command"
done
desktop-file-validate "$scratch/deb/usr/share/applications/$id.desktop" ||
    fail "the desktop entry is not valid"
grep -qx "Exec=tintwright %f" "$scratch/deb/usr/share/applications/$id.desktop" ||
    fail "the desktop entry does not start tintwright with the file it is given"
appstreamcli validate --no-net "$scratch/deb/usr/share/metainfo/$id.metainfo.xml" ||
    fail "the AppStream metadata is not valid"
for size in 16 22 24 32 48 64 128 256 512; do
    icon="$scratch/deb/usr/share/icons/hicolor/${size}x${size}/apps/$id.png"
    [[ "$(identify -format '%wx%h' "$icon" 2>/dev/null)" == "${size}x${size}" ]] ||
        fail "no ${size}x${size} icon at ${icon#"$scratch/deb"}"
done
others=$(cd "$scratch/deb" && find . -type f -o -type l | grep -v -e '^./opt/tintwright/' \
    -e '^./usr/bin/tintwright' -e "^./usr/share/applications/$id.desktop$" \
    -e "^./usr/share/metainfo/$id.metainfo.xml$" -e "^./usr/share/icons/hicolor/.*/apps/$id.png$" \
    -e '^./usr/share/doc/tintwright/copyright$' -e '^./usr/share/doc/tintwright/changelog.gz$' \
    -e '^./usr/share/man/man1/tintwright\(-data\)\?.1.gz$' || true)
[[ -z "$others" ]] || fail "the .deb installs files outside its places: $others"
# Depends come from the libraries the executables link.
depends=$(dpkg-deb -f "$deb" Depends)
for library in libc6 libstdc++6 libqt6core6 libqt6gui6 libqt6widgets6 libgif7 zlib1g; do
    tr ',' '\n' <<<"$depends" | awk '{print $1}' | grep -qxF "$library" || fail "Depends lacks $library: $depends"
done

# lintian finds nothing but the program folder under /opt, which is our layout on purpose.
lintian --suppress-tags dir-or-file-in-opt --fail-on error,warning "$deb" 2>/dev/null ||
    fail "lintian: $(lintian --suppress-tags dir-or-file-in-opt "$deb" 2>/dev/null)"
# The manual pages: tintwright-data(1) names every command and option that --help lists.
manual=$(MANWIDTH=1000 man -l "$scratch/deb/usr/share/man/man1/tintwright-data.1.gz" 2>/dev/null)
for section in FILES ENVIRONMENT JSON EXAMPLES "REPORTING BUGS" "\$ tintwright-data check Demo.nes"; do
    grep -q "$section" <<<"$manual" || fail "tintwright-data(1) lacks $section"
done
# tintwright(1) keeps step with tintwright --help: its options and its exit statuses.
program_manual=$(MANWIDTH=1000 man -l "$scratch/deb/usr/share/man/man1/tintwright.1.gz" 2>/dev/null)
program_help=$("$build/app/tintwright" --help)
for word in $(grep -o -e ' --\?[a-z-]*' <<<"$program_help" | sort -u) "EXIT STATUS"; do
    grep -qe "$word" <<<"$program_manual" || fail "tintwright(1) does not name $word"
done
for status in $(grep -o '[0-9] [a-z]' <<<"$(sed -n '/^Exit status/,$p' <<<"$program_help")" | cut -c1); do
    grep -qE "^ +$status +[A-Z]" <<<"$program_manual" || fail "tintwright(1) does not explain exit status $status"
done
tool="$build/app/tintwright-data"
help=$("$tool" --help)
commands=$(sed -n '/^Commands/,/^Exit status/p' <<<"$help" | awk '/^  [a-z]/ {print $1}')
(($(wc -w <<<"$commands") >= 10)) || fail "tintwright-data --help lists no commands the check can read"
for word in $commands $(grep -o -e '--[a-z-]*' <<<"$help") \
    $(for command in $commands; do "$tool" "$command" --help | grep -o -e '--[a-z-]*'; done); do
    grep -qe "$word" <<<"$manual" || fail "tintwright-data(1) does not name $word"
done

# The portable archive: one folder, the program folder itself.
mkdir "$scratch/tgz"
tar -xzf "$archive" -C "$scratch/tgz"
tops=("$scratch"/tgz/*)
if [[ ${#tops[@]} -ne 1 ]]; then
    fail "the archive does not hold exactly one folder"
else
    same_as_build "${tops[0]}" "the archive's folder"
fi

# Both program folders run: open Demo.nes, edit, save, started through a link.
real_window_test() { # folder, what
    local log
    log=$(TINTWRIGHT_E2E_PROGRAM="$1" \
        xvfb-run -a -s "-screen 0 1280x1024x24" "$build/tests/tst_endtoend" 2>&1) &&
        ! grep -q "SKIP   :" <<<"$log" || {
        echo "$log" >&2
        fail "$2 does not pass the real-window test"
    }
}
real_window_test "$scratch/deb/opt/tintwright" "the .deb's program"
# The .deb's program folder as installed: root's, and run by a user who may not write it.
chmod 755 "$scratch" "$scratch/deb" "$scratch/deb/opt"
log=$(TINTWRIGHT_E2E_PROGRAM="$scratch/deb/opt/tintwright" TINTWRIGHT_E2E_USER=nobody \
    xvfb-run -a -s "-ac -screen 0 1280x1024x24" "$build/tests/tst_endtoend" 2>&1) &&
    ! grep -q "SKIP   :" <<<"$log" || {
    echo "$log" >&2
    fail "the .deb's program does not pass the real-window test for a user who may not write it"
}
[[ ${#tops[@]} -ne 1 ]] || real_window_test "${tops[0]}" "the archive's program"

if ((failures)); then
    echo "$failures package check(s) failed" >&2
    exit 1
fi
echo "Packages checked: $(basename "$deb"), $(basename "$archive")"
