#!/usr/bin/env bash
# Checks the Debian packages scripts/package.sh made, as a user meets them: unpacked into a
# scratch root, the program runs from there with its strings and sample data, its manual page
# names every subcommand and option its help lists, its completion completes, its menu entry
# starts the window, an application builds against the -dev package's files, and lintian finds
# no error in any package. Ends with "N passed, M failed"; exit status 1 on any failure.
#   tests/packaging/check-packages.sh [BUILD_DIR] [--screenshot FILE.png]
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
source "$root/scripts/deps.sh"
dir=$root/build
screenshot=
while [ $# -gt 0 ]; do
    case "$1" in
        --screenshot) screenshot=$(realpath -m "$2"); shift ;;
        *) dir=$(realpath -m "$1") ;;
    esac
    shift
done
zr_install_deps "${ZR_PACKAGE_TOOLS[@]}"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
passed=0 failed=0
check() { # check "what" command...: passes when the command succeeds
    local what=$1; shift
    if "$@"; then passed=$((passed + 1)); else echo "FAIL: $what" >&2; failed=$((failed + 1)); fi
}

# The installed program runs with a home of its own, no library path and no display.
sysroot=$work/root
zrreq() {
    env -u LD_LIBRARY_PATH -u QT_PLUGIN_PATH HOME="$work/home" XDG_CONFIG_HOME="$work/home/config" \
        XDG_DATA_HOME="$work/home/data" "$sysroot/usr/bin/zrreq" "$@"
}

# --- The four packages, what they hold and what they depend on ---------------------------------
declare -A deb
for f in "$dir"/packages/*.deb; do
    [ -e "$f" ] && deb[$(dpkg-deb -f "$f" Package)]=$f
done
version=$(sed -n 's/^project(zrRequirement VERSION \([0-9.]*\).*/\1/p' "$root/CMakeLists.txt")
for p in libzrrequirement0 libzrrequirement-dev zrreq zrrequirement-designer; do
    if [ -z "${deb[$p]:-}" ]; then
        echo "FAIL: no package $p in $dir/packages (scripts/package.sh makes them)" >&2
        echo "0 passed, 1 failed"
        exit 1
    fi
    dpkg-deb -x "${deb[$p]}" "$sysroot"
    check "$p is version $version" test "$(dpkg-deb -f "${deb[$p]}" Version)" = "$version"
done

# Each other's packages by the components' dependencies, the rest as dpkg-shlibdeps read them.
has_dependency() { dpkg-deb -f "${deb[$1]}" Depends | tr ',' '\n' | grep -qE "^ *$2( |$)"; }
while read -r package dependency; do
    check "$package depends on $dependency" has_dependency "$package" "$dependency"
done <<EOF
libzrrequirement0       libc6
libzrrequirement0       libqt6core6
libzrrequirement0       libqt6sql6
libzrrequirement0       libqt6widgets6
libzrrequirement0       libsqlite3-0
libzrrequirement0       libpq5
libzrrequirement-dev    libzrrequirement0[[:space:]]\(=[[:space:]]$version\)
libzrrequirement-dev    qt6-base-dev
zrreq                   libzrrequirement0[[:space:]]\(=[[:space:]]$version\)
zrreq                   libqt6widgets6
zrreq                   libqt6printsupport6
zrrequirement-designer  libzrrequirement0[[:space:]]\(=[[:space:]]$version\)
zrrequirement-designer  libqt6core6
EOF

plugins=$(/usr/lib/qt6/bin/qtpaths6 --query QT_INSTALL_PLUGINS)
for p in "${!deb[@]}"; do dpkg-deb -c "${deb[$p]}" > "$work/$p.list"; done
holds() { grep -qE " \./${2#/}( ->|$)" "$work/$1.list"; }
{
    for p in "${!deb[@]}"; do
        echo "$p usr/share/doc/$p/copyright"
        echo "$p usr/share/doc/$p/changelog.gz"
    done
    for size in 16 22 24 32 48 64 128 256; do
        echo "zrreq usr/share/icons/hicolor/${size}x${size}/apps/zrreq.png"
    done
    cat <<EOF
libzrrequirement0 usr/lib/libzrRequirementCore.so.0
libzrrequirement0 usr/lib/libzrRequirementWidgets.so.0
libzrrequirement0 usr/lib/libzrQEMSvr.so.0
libzrrequirement-dev usr/lib/libzrRequirementCore.so
libzrrequirement-dev usr/lib/libzrRequirementWidgets.so
libzrrequirement-dev usr/lib/libzrQEMSvr.so
libzrrequirement-dev usr/include/zrRequirement/requirements/zrrequirements.h
libzrrequirement-dev usr/include/zrQEMSvr/qemserver.h
libzrrequirement-dev usr/lib/cmake/zrRequirement/zrRequirementConfig.cmake
libzrrequirement-dev usr/lib/cmake/zrRequirement/zrRequirementWidgetsTargets.cmake
zrreq usr/bin/zrreq
zrreq usr/share/applications/zrreq.desktop
zrreq usr/share/metainfo/org.zerith.zrreq.metainfo.xml
zrreq usr/share/icons/hicolor/scalable/apps/zrreq.svg
zrreq usr/share/man/man1/zrreq.1.gz
zrreq usr/share/bash-completion/completions/zrreq
zrrequirement-designer ${plugins#/}/designer/libzrRequirementDesigner.so
EOF
} > "$work/files"
while read -r package path; do
    check "$package holds /$path" holds "$package" "$path"
done < "$work/files"
for size in 16 22 24 32 48 64 128 256; do
    check "the ${size}x${size} icon is drawn at that size" \
        grep -q "PNG image data, $size x $size" <(file "$sysroot/usr/share/icons/hicolor/${size}x${size}/apps/zrreq.png")
done
# The program and the plugin find the packages' libraries where they are unpacked, as under /usr.
finds_libraries() { ! env -u LD_LIBRARY_PATH ldd "$1" | grep -E "libzr.*(not found|=> /usr/)"; }
check "zrreq finds the packaged libraries" finds_libraries "$sysroot/usr/bin/zrreq"
check "the Designer plugin finds the packaged libraries" \
    finds_libraries "$sysroot/${plugins#/}/designer/libzrRequirementDesigner.so"
check "the AppStream description is valid" appstreamcli validate --no-net "$sysroot"/usr/share/metainfo/*.metainfo.xml

# --- The installed program: its version, its strings, a new database and an audit on it ---------
mkdir -p "$work/home"
cd "$work"
check "zrreq --version says $version" grep -qx "zrreq $version" <(zrreq --version)
check "the installed zrreq speaks Greek" grep -q "Χρήση: zrreq" <(zrreq --help --lang el)
db=sqlite://$work/audit.db
check "zrreq init-db makes the sample database" zrreq init-db --server "$db" --lang en
audit=(audit --all --kind 1 --object 1 --context 103 --server "$db" --lang en)
set +e
zrreq "${audit[@]}" > "$work/audit.txt"; audited=$?
# The build's own program on the same database: the installed one must find the same.
env -u LD_LIBRARY_PATH HOME="$work/home" XDG_CONFIG_HOME="$work/home/config" XDG_DATA_HOME="$work/home/data" \
    "$dir/apps/zrreq/zrreq" "${audit[@]}" > "$work/audit-build.txt"
set -e
check "zrreq audit --all checks the sample's students (exit $audited)" \
    grep -qE "^[1-9][0-9]* students, [0-9]+ met, [0-9]+ not met, [0-9]+ excepted$" "$work/audit.txt"
check "the installed and the built zrreq audit alike" cmp -s "$work/audit.txt" "$work/audit-build.txt"

# --- The manual page: it reads without warnings and covers every subcommand and option ------------
manual=$sysroot/usr/share/man/man1/zrreq.1.gz
LC_ALL=C.UTF-8 MANWIDTH=200 man --warnings -l "$manual" > "$work/manual.txt" 2> "$work/manual.err" || true
check "man -l zrreq.1 without warnings" test ! -s "$work/manual.err" -a -s "$work/manual.txt"
# The subcommands as zrreq --help lists them, and the options of each as its own --help does.
subcommands=$(COLUMNS=1000 zrreq --help --lang en | sed -n '/^Subcommands/,$s/^  \([a-z-]*\) .*/\1/p')
check "zrreq --help lists subcommands" test -n "$subcommands"
for command in $subcommands; do
    # The part of the page from the subcommand's heading to the next one.
    sed -n "/^   zrreq $command\$/,/^   zrreq [a-z-]*\$/p" "$work/manual.txt" | sed '$d' > "$work/section.txt"
    check "the manual page has a section on zrreq $command" test -s "$work/section.txt"
    for option in $(COLUMNS=1000 zrreq "$command" --help --lang en | grep -oE '^  (-[a-z], )?--[a-z-]+' | grep -oE -- '--[a-z-]+'); do
        check "the manual page gives zrreq $command $option" grep -qE -- "^ +(-[a-z], )?$option( |,|$)" "$work/section.txt"
    done
done

# --- The bash completion --------------------------------------------------------------------------
completes() { # completes "words before the cursor" "word at the cursor" expected...
    local line=$1 current=$2; shift 2
    local got
    got=$(bash -c 'source "$1"; shift; COMP_WORDS=("$@"); COMP_CWORD=$(($# - 1)); _zrreq; printf "%s\n" "${COMPREPLY[@]}"' \
        _ "$sysroot/usr/share/bash-completion/completions/zrreq" zrreq $line "$current")
    local word
    for word in "$@"; do
        grep -qx -- "$word" <<<"$got" || return 1
    done
}
while IFS='|' read -r line current expected; do
    check "completion of \"zrreq $line $current\" offers $expected" completes "$line" "$current" $expected
done <<'EOF'
|au|audit
|--ver|--version
audit|--stu|--student --student-file
audit --lang||el en
data||import export template columns
init-db|--em|--empty
EOF

# --- The menu entry starts the window -----------------------------------------------------------
command=$(sed -n 's/^Exec=//p' "$sysroot/usr/share/applications/zrreq.desktop")
cat > "$work/start.sh" <<EOF
set -u
export PATH="$sysroot/usr/bin:\$PATH" HOME="$work/home" XDG_CONFIG_HOME="$work/home/config" XDG_DATA_HOME="$work/home/data"
unset LD_LIBRARY_PATH QT_QPA_PLATFORM
$command &
pid=\$!
for i in \$(seq 60); do
    sleep 1
    # A window of zrreq's own on the screen, not one Qt keeps hidden.
    shown=0
    for id in \$(xwininfo -root -tree | grep '("zrreq"' | awk '{print \$1}'); do
        xwininfo -id \$id | grep -q 'Map State: IsViewable' && shown=1
    done
    if [ \$shown = 1 ]; then
        sleep 3
        ${screenshot:+xwd -root -silent | xwdtopnm 2>/dev/null | pnmtopng > "$screenshot"}
        kill \$pid
        exit 0
    fi
done
kill \$pid
exit 1
EOF
check "the menu entry's \"$command\" opens the window" xvfb-run -a -s "-screen 0 1280x800x24" bash "$work/start.sh"

# --- Another application builds against the -dev package's files and runs --------------------------
if cmake -S "$root/examples/minimal" -B "$work/example" -G Ninja -DCMAKE_PREFIX_PATH="$sysroot/usr" \
        -DCMAKE_BUILD_TYPE=Release > "$work/example.log" 2>&1 &&
   cmake --build "$work/example" >> "$work/example.log" 2>&1; then
    passed=$((passed + 1))
    check "the example host runs on the installed libraries" \
        env QT_QPA_PLATFORM=offscreen ZRREQ_DATABASE="$work/example.db" "$work/example/zrreq-example" --quit
else
    cat "$work/example.log" >&2
    echo "FAIL: examples/minimal builds against the -dev package" >&2
    failed=$((failed + 1))
fi

# --- lintian: warnings are shown, errors fail ---------------------------------------------------------
linted=0
lintian --fail-on error "${deb[@]}" > "$work/lintian.txt" 2>&1 || linted=$?
cat "$work/lintian.txt"
check "lintian finds no error" test "$linted" -eq 0 -a "$(grep -c '^E: ' "$work/lintian.txt")" -eq 0

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
