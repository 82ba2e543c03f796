#!/usr/bin/env bash
# Builds the Debian package from the built tree, checks what it holds, unpacks it into a scratch
# root and runs the programs from there, far from the build tree's data. Exit 77 (skipped) without
# the Debian tools.
# Usage: PackageTest.sh BUILD_DIR
set -euo pipefail
build=$(cd "$1" && pwd)

for tool in cpack dpkg-deb; do
    if ! command -v "$tool" >/dev/null; then
        echo "SKIP: $tool is not installed"
        exit 77
    fi
done

scratch=$(mktemp -d "${TMPDIR:-/tmp}/torvex-package.XXXXXX")
trap 'rm -rf "$scratch"' EXIT
failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

# The package, made beside the scratch root so that build/ keeps only what scripts/package made.
cpack --config "$build/CPackConfig.cmake" -B "$scratch/out" >"$scratch/cpack.log" 2>&1 || {
    cat "$scratch/cpack.log" >&2
    exit 1
}
debs=("$scratch"/out/wintorvex32_*.deb)
[ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || { echo "FAIL: no single package in ${debs[*]}" >&2; exit 1; }
deb=${debs[0]}
version=$("$build/bin/torvex" --version | awk '{print $2}')
[[ $(basename "$deb") == wintorvex32_${version}_$(dpkg --print-architecture).deb ]] ||
    fail "package name $(basename "$deb") does not carry version $version"

# What it holds.
dpkg-deb -c "$deb" | awk '{print $NF}' | sed 's|^\./|/|' >"$scratch/contents"
for path in \
    /usr/bin/WinTorvex32 /usr/bin/torvex /usr/bin/torvex-sim \
    /usr/share/wintorvex32/DataBase/ /usr/share/wintorvex32/HelpFiles/WinTorvex_EN.html \
    /usr/share/wintorvex32/Logo.svg /usr/share/wintorvex32/WinTorvex32.config \
    /usr/share/applications/wintorvex32.desktop /usr/share/icons/hicolor/scalable/apps/wintorvex32.svg \
    /usr/share/mime/packages/wintorvex32.xml \
    /usr/share/man/man1/torvex.1.gz /usr/share/man/man1/WinTorvex32.1.gz /usr/share/man/man1/torvex-sim.1.gz \
    /usr/share/bash-completion/completions/torvex \
    /usr/share/doc/wintorvex32/copyright /usr/share/doc/wintorvex32/changelog.gz; do
    grep -qxF "$path" "$scratch/contents" || fail "the package lacks $path"
done
for file in "$build"/bin/DataBase/*; do
    grep -qxF "/usr/share/wintorvex32/DataBase/$(basename "$file")" "$scratch/contents" ||
        fail "the package lacks the template database file $(basename "$file")"
done
if grep -q '^/usr/local\|/bin/DataBase\|/bin/HelpFiles' "$scratch/contents"; then
    fail "data or programs outside their places: $(grep '^/usr/local\|/bin/DataBase\|/bin/HelpFiles' "$scratch/contents" | head -3)"
fi

# Its control fields: the libraries found by shlibdeps and the platform plugin they cannot see.
depends=$(dpkg-deb -f "$deb" Depends)
for library in libqt6core6 libqt6widgets6 libqt6serialport6 libqt6charts6 libqt6svg6 libsqlite3-0 libc6 qt6-qpa-plugins; do
    grep -Eq "(^|[ ,])$library([ ,(]|\$)" <<<"$depends" || fail "Depends lacks $library: $depends"
done
[ "$(dpkg-deb -f "$deb" Package)" = wintorvex32 ] || fail "package name $(dpkg-deb -f "$deb" Package)"
[ "$(dpkg-deb -f "$deb" Version)" = "$version" ] || fail "version $(dpkg-deb -f "$deb" Version), programs $version"

# Unpacked into a scratch root with a home of its own, the programs find their data there.
root=$scratch/root
dpkg-deb -x "$deb" "$root"
[ -z "$(find "$root" -perm /022 ! -type l)" ] || fail "writable by others: $(find "$root" -perm /022 ! -type l | head -3)"
# A bare environment with a home of its own; a sanitizer build keeps its report settings.
sanitizer_settings=()
for name in ASAN_OPTIONS UBSAN_OPTIONS LSAN_OPTIONS; do
    [ -n "${!name:-}" ] && sanitizer_settings+=("$name=${!name}")
done
run() { # HOME PROGRAM ARGUMENTS...: runs a program without a display
    local home=$1 program=$2
    shift 2
    env -i PATH=/usr/bin:/bin HOME="$home" LANG=C.UTF-8 QT_QPA_PLATFORM=offscreen "${sanitizer_settings[@]}" \
        "$program" "$@"
}
for program in WinTorvex32 torvex torvex-sim; do
    out=$(run "$scratch/home" "$root/usr/bin/$program" --version) || fail "$program --version failed"
    [ "$out" = "$program $version" ] || fail "$program --version said '$out'"
done
installed_text=$(run "$scratch/home" "$root/usr/bin/torvex" text 1 2>"$scratch/text.err") ||
    fail "the installed torvex text 1 failed: $(cat "$scratch/text.err")"
built_text=$(run "$scratch/home-built" "$build/bin/torvex" text 1 2>/dev/null)
[ -n "$installed_text" ] && [ "$installed_text" = "$built_text" ] ||
    fail "the installed torvex text 1 said '$installed_text', the built one '$built_text'"
# The first start copied the installed configuration template.
cmp -s "$root/usr/share/wintorvex32/WinTorvex32.config" "$scratch/home/Documents/Faldmark/WinTorvex32/WinTorvex32.config" ||
    fail "the per-user configuration is not the installed template"
# The parameter database is made from the installed templates.
metadata=$(run "$scratch/home" "$root/usr/bin/torvex" metadata --family tkx 2>"$scratch/metadata.err") ||
    fail "the installed torvex metadata failed: $(cat "$scratch/metadata.err")"
[ "$metadata" = "$(run "$scratch/home-built" "$build/bin/torvex" metadata --family tkx 2>/dev/null)" ] ||
    fail "the installed torvex metadata differs from the built one"
# torvex-sim plays from the installed template database: it starts and prints its pty.
env -i PATH=/usr/bin:/bin HOME="$scratch/home" "${sanitizer_settings[@]}" "$root/usr/bin/torvex-sim" \
    >"$scratch/sim.out" 2>"$scratch/sim.err" &
sim=$!
for _ in $(seq 200); do
    [ -s "$scratch/sim.out" ] || ! kill -0 "$sim" 2>/dev/null && break
    sleep 0.1
done
kill "$sim" 2>/dev/null || true
wait "$sim" || true
grep -q '^/dev/pts/' "$scratch/sim.out" || fail "the installed torvex-sim did not start: $(cat "$scratch/sim.err")"

# Desktop entry, icon and file types fit together.
desktop=$root/usr/share/applications/wintorvex32.desktop
if command -v desktop-file-validate >/dev/null; then
    desktop-file-validate "$desktop" || fail "desktop-file-validate"
fi
grep -qx 'Icon=wintorvex32' "$desktop" || fail "the desktop entry names another icon"
grep -q '^Exec=WinTorvex32 %[fF]' "$desktop" || fail "the desktop entry does not pass files to the program"
mime_xml=$root/usr/share/mime/packages/wintorvex32.xml
for extension in set prm dat fact; do
    type=$(grep -B5 "<glob pattern=\"\\*.$extension\"/>" "$mime_xml" | sed -n 's/.*<mime-type type="\([^"]*\)".*/\1/p' | tail -1)
    [ -n "$type" ] || { fail "no file type for .$extension"; continue; }
    grep -q "^MimeType=.*$type;" "$desktop" || fail "$type (.$extension) is not bound to the program"
done
if command -v update-mime-database >/dev/null; then
    cp -r "$root/usr/share/mime" "$scratch/mime"
    update-mime-database "$scratch/mime" >/dev/null 2>&1 || fail "update-mime-database refused the file types"
    for extension in set prm dat fact; do
        grep -q "wintorvex32.*:\*\.$extension\$" "$scratch/mime/globs2" || fail ".$extension missing from the MIME globs"
    done
fi

# Every command and option of torvex --help is in the manual page and the completion.
help=$("$build/bin/torvex" --help)
commands=$(sed -n '/^Commands:/,$p' <<<"$help" | sed -n 's/^  \([a-z][a-z-]*\).*/\1/p')
options=$(grep -o -- '--[a-z][a-z-]*' <<<"$help" | sort -u)
manual=$(zcat "$root/usr/share/man/man1/torvex.1.gz" | sed 's/\\-/-/g; s/\\f[BIR]//g')
completion=$(cat "$root/usr/share/bash-completion/completions/torvex")
[ "$(wc -w <<<"$commands")" -ge 20 ] || fail "read too few commands from --help: $commands"
for word in $commands $options; do
    grep -qw -- "$word" <<<"$manual" || fail "the manual page lacks $word"
    grep -qw -- "$word" <<<"$completion" || fail "the completion lacks $word"
done
for code in 0 1 2 130; do
    sed -n '/^\.SH EXIT STATUS/,/^\.SH ENVIRONMENT/p' <<<"$manual" | grep -qx "\.B $code" ||
        fail "the manual page does not explain exit code $code"
done
if command -v man >/dev/null; then
    for page in torvex WinTorvex32 torvex-sim; do
        warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$root/usr/share/man/man1/$page.1.gz" 2>&1 >/dev/null)
        [ -z "$warnings" ] || fail "man warns about $page.1: $warnings"
    done
fi

# The completion offers what torvex takes.
complete_words() { # WORDS...: what completes the last word ("_": an empty one)
    bash -c 'shopt -s extglob; source "$1"; shift; COMP_WORDS=("$@"); COMP_CWORD=$(($# - 1));
        [ "${COMP_WORDS[COMP_CWORD]}" = _ ] && COMP_WORDS[COMP_CWORD]=""; _torvex;
        printf "%s\n" "${COMPREPLY[@]}"' _ "$root/usr/share/bash-completion/completions/torvex" "$@" | sort | tr '\n' ' '
}
while IFS='|' read -r words expected; do
    # shellcheck disable=SC2086
    got=$(complete_words $words)
    [ "$got" = "$expected" ] || fail "completing '$words' gave '$got', not '$expected'"
done <<'CASES'
torvex fac|factory-check factory-send 
torvex --port /dev/ttyS0 ex|export export-run 
torvex --language _|1 102 2 3 4 5 6 7 8 9 
torvex write --|--changed-only --family --file --name --password --verify 
torvex read --family _|tkx vf-tkx 
torvex send _|load-factory load-user reset-errors save-user 
torvex password change --c|--confirm --current 
torvex led up _|off on 
torvex --yes record --|--out --pictures --seconds 
CASES

# lintian, where installed, finds no error.
if command -v lintian >/dev/null; then
    lintian --allow-root --tag-display-limit 0 "$deb" >"$scratch/lintian" 2>&1 || true
    cat "$scratch/lintian"
    if grep -q '^E:' "$scratch/lintian"; then
        fail "lintian reports errors"
    fi
else
    echo "lintian is not installed: not run"
fi

[ "$failures" -eq 0 ] || { echo "$failures failure(s)" >&2; exit 1; }
echo "package $(basename "$deb") checked"
