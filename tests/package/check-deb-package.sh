#!/bin/sh
# The Debian package end to end: made by cpack from this build (nothing is
# compiled again), its name, control fields and files, lintian, and the
# program started from it on a private Xvfb: once unpacked with dpkg -x and,
# as root, once really installed with apt-get and purged again at the end
# (also when a step fails). Exits 77 (skipped) where dpkg or another tool
# is missing.
#
# usage: check-deb-package.sh SOURCE_DIR BUILD_DIR CPACK
set -eu
source_dir=$1
build_dir=$2
cpack=$3

missing=""
for tool in dpkg dpkg-deb dpkg-query dpkg-shlibdeps dpkg-parsechangelog lintian file objdump ldd Xvfb xdotool xwininfo \
    timeout; do
    command -v "$tool" >/dev/null 2>&1 || missing="$missing $tool"
done
if [ -n "$missing" ]; then
    echo "SKIPPED: the Debian package test needs:$missing (tools/setup.sh installs them, tools/deps/package.txt)"
    exit 77
fi

fail() {
    echo "FAIL: $*" >&2
    exit 1
}
note() { echo "package: $*"; }
now() { date +%s.%N; }
since() { awk -v a="$1" -v b="$(now)" 'BEGIN { printf "%.1f", b - a }'; }

work=$(mktemp -d "${TMPDIR:-/tmp}/quorvo-deb.XXXXXX")
marker=$build_dir/package-test.installed
xvfb_pid=""
program_pid=""
installed_here=0

purge() {
    DEBIAN_FRONTEND=noninteractive apt-get purge -y -q -o DPkg::Lock::Timeout=300 quorvo >"$work/purge.log" 2>&1
}
cleanup() {
    [ -z "$program_pid" ] || kill -KILL "$program_pid" 2>/dev/null || true
    [ -z "$xvfb_pid" ] || kill "$xvfb_pid" 2>/dev/null || true
    if [ "$installed_here" = 1 ]; then
        case "$(dpkg-query -W -f='${Status}' quorvo 2>/dev/null || true)" in
            *" not-installed" | "") rm -f "$marker" ;;
            *) if purge; then rm -f "$marker"; else cat "$work/purge.log" >&2; fi ;;
        esac
    fi
    rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 1' INT TERM HUP

# --- made from this build ---------------------------------------------------
started=$(now)
if ! "$cpack" -G DEB --config "$build_dir/CPackConfig.cmake" -B "$work/out" >"$work/cpack.log" 2>&1; then
    cat "$work/cpack.log" >&2
    fail "cpack -G DEB did not make the package"
fi
set -- "$work"/out/quorvo_*.deb
if [ $# -ne 1 ] || [ ! -f "$1" ]; then fail "cpack made no single quorvo_*.deb: $*"; fi
deb=$1
note "$(basename "$deb"), $(stat -c %s "$deb") bytes, made in $(since "$started") s"

field() { dpkg-deb -f "$deb" "$1"; }
version=$(field Version)
upstream=${version%-*}
[ "$(field Package)" = quorvo ] || fail "Package is '$(field Package)'"
[ "$(basename "$deb")" = "quorvo_${version}_$(dpkg --print-architecture).deb" ] || fail "named $(basename "$deb")"
changelog_version=$(dpkg-parsechangelog -l "$source_dir/packaging/changelog" -S Version)
[ "$changelog_version" = "$version" ] || fail "the changelog's last entry is $changelog_version, the package $version"

root=$work/root
dpkg-deb -x "$deb" "$root"
started=$(now)

for file in usr/bin/quorvo usr/bin/quorvo-cli usr/share/applications/quorvo.desktop usr/share/quorvo/README.md \
    usr/share/doc/quorvo/copyright usr/share/doc/quorvo/changelog.Debian.gz usr/share/man/man1/quorvo.1.gz \
    usr/share/man/man1/quorvo-cli.1.gz; do
    [ -f "$root/$file" ] || fail "the package has no /$file"
done
for size in 16 24 32 48 64 128; do
    icon=$root/usr/share/icons/hicolor/${size}x$size/apps/quorvo.png
    case "$(file -b "$icon" 2>&1)" in
        "PNG image data, $size x $size,"*) ;;
        *) fail "no ${size}x$size icon: $(file -b "$icon" 2>&1)" ;;
    esac
done
[ "$(head -n 1 "$root/usr/share/doc/quorvo/copyright")" = \
    "Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/" ] ||
    fail "the copyright file is not in the machine-readable format"
gzip -dc "$root/usr/share/doc/quorvo/changelog.Debian.gz" | cmp -s - "$source_dir/packaging/changelog" ||
    fail "changelog.Debian.gz is not packaging/changelog"
if command -v desktop-file-validate >/dev/null 2>&1; then
    desktop-file-validate "$root/usr/share/applications/quorvo.desktop" >"$work/desktop.log" 2>&1 ||
        fail "the menu entry does not validate: $(cat "$work/desktop.log")"
fi

# Stripped, and Depends names the package of every library the programs load.
depends=$(field Depends | tr ',|' '\n' | sed -e 's/(.*//' -e 's/[[:space:]]//g')
: >"$work/libraries"
for program in quorvo quorvo-cli; do
    binary=$root/usr/bin/$program
    case "$(file -b "$binary")" in
        *", stripped"*) ;;
        *) fail "/usr/bin/$program is not stripped: $(file -b "$binary")" ;;
    esac
    ! objdump -h "$binary" | grep -q ' \.comment ' || fail "/usr/bin/$program keeps its .comment section"
    ldd "$binary" >"$work/ldd"
    for library in $(objdump -p "$binary" | awk '$1 == "NEEDED" { print $2 }'); do
        path=$(awk -v lib="$library" '$1 == lib { print $3 }' "$work/ldd")
        [ -n "$path" ] || fail "$program: $library is not found"
        # dpkg may list the file under /lib or /usr/lib (merged /usr), or its target.
        echo "$program $library $path ${path#/usr} /usr${path#/usr} $(readlink -f "$path")" >>"$work/libraries"
    done
done
# One query for all of them: dpkg-query -S reads every package's file list.
# shellcheck disable=SC2046
dpkg-query -S $(cut -d' ' -f3- "$work/libraries" | tr ' ' '\n' | sort -u) >"$work/owners" 2>/dev/null || true
while read -r program library paths; do
    owner=$(awk -v paths=" $paths " 'index(paths, " " $NF " ") { sub(/:.*/, "", $1); print $1; exit }' "$work/owners")
    [ -n "$owner" ] || fail "$program: no package holds $library ($paths)"
    echo "$depends" | grep -qx "$owner" && continue
    # A library may come through a named package: libtag1v5 is a shell around
    # libtag1v5-vanilla, which holds libtag.so.1 and which shlibdeps names by
    # the shell's symbols file.
    for package in $depends; do
        dpkg-query -W -f='${Depends}\n' "$package" 2>/dev/null
    done | tr ',|' '\n' | sed -e 's/(.*//' -e 's/:.*//' -e 's/[[:space:]]//g' | grep -qx "$owner" ||
        fail "$program loads $library ($owner), which Depends leaves out: $(field Depends)"
done <"$work/libraries"
"$root/usr/bin/quorvo" --version | grep -q "^quorvo $upstream" ||
    fail "quorvo --version says '$("$root/usr/bin/quorvo" --version)', the package $upstream"

note "contents, stripping and Depends checked in $(since "$started") s"

# Everything it needs comes from the distribution's archive: apt resolves it
# for a system with nothing installed (an empty dpkg status), so a dependency
# that only this machine has installed cannot hide.
if command -v apt-get >/dev/null 2>&1 && ls /var/lib/apt/lists/*_Packages* >/dev/null 2>&1; then
    : >"$work/empty-status"
    if ! apt-get -s -q -o Dir::State::status="$work/empty-status" install --no-install-recommends "$deb" \
        >"$work/simulated.log" 2>&1; then
        cat "$work/simulated.log" >&2
        fail "apt cannot install the package on a system that has nothing installed"
    fi
    grep -q '^Inst quorvo ' "$work/simulated.log" || fail "apt's simulated install left quorvo out"
    note "apt resolves it on an empty system: $(grep -c '^Inst ' "$work/simulated.log") packages from the archive"
else
    note "no apt package lists here: the install on an empty system is not simulated"
fi

# --- lintian ------------------------------------------------------------------
started=$(now)
if ! lintian --fail-on error "$deb" >"$work/lintian.log" 2>&1; then
    cat "$work/lintian.log" >&2
    fail "lintian reports errors"
fi
grep -v 'running with root privileges' "$work/lintian.log" || true
note "lintian: no errors ($(since "$started") s)"

# --- started --------------------------------------------------------------------
: >"$work/display"
Xvfb -displayfd 3 -nolisten tcp -screen 0 1280x1024x24 3>"$work/display" >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
deadline=$(($(date +%s) + 30))
while [ ! -s "$work/display" ]; do
    kill -0 "$xvfb_pid" 2>/dev/null || fail "Xvfb ended: $(cat "$work/xvfb.log")"
    [ "$(date +%s)" -lt "$deadline" ] || fail "Xvfb named no display in 30 s"
    sleep 0.1
done
display=:$(cat "$work/display")

# Starts PROGRAM on its own home and data home, waits for its window to be
# mapped, checks where its settings went, and closes it with SIGTERM.
start_program() {
    program=$1
    home=$work/$2/home
    data=$work/$2/data
    mkdir -p "$home"
    env -i PATH=/usr/bin:/bin HOME="$home" XDG_DATA_HOME="$data" DISPLAY="$display" LANG=C.UTF-8 \
        "$program" 2>"$work/$2.err" &
    program_pid=$!
    window=$(DISPLAY=$display timeout 60 xdotool search --sync --onlyvisible --pid "$program_pid" 2>/dev/null |
        head -n 1) || true
    [ -n "$window" ] || fail "$program showed no window in 60 s: $(cat "$work/$2.err")"
    DISPLAY=$display xwininfo -id "$window" | grep -q 'Map State: IsViewable' || fail "$program's window is not viewable"
    config=$data/quorvo/config.ini
    [ -f "$config" ] || fail "$program left no $config"
    if ! grep -qx '\[Main\]' "$config" || ! grep -q "^path=$home/" "$config"; then
        fail "$config: $(cat "$config")"
    fi
    [ ! -e "$(dirname "$program")/config.ini" ] || fail "$program wrote config.ini beside itself"
    kill -TERM "$program_pid"
    deadline=$(($(date +%s) + 30))
    while kill -0 "$program_pid" 2>/dev/null && [ "$(date +%s)" -lt "$deadline" ]; do
        # Still closing: a zombie counts as ended.
        [ "$(ps -o stat= -p "$program_pid" 2>/dev/null | cut -c1)" = Z ] && break
        sleep 0.1
    done
    status=0
    wait "$program_pid" || status=$?
    program_pid=""
    [ "$status" -eq 0 ] || fail "$program ended with status $status on SIGTERM: $(cat "$work/$2.err")"
    note "$program: window mapped, settings in \$XDG_DATA_HOME/quorvo, closed on SIGTERM"
}

start_program "$root/usr/bin/quorvo" unpacked

# --- installed with apt-get, then purged ------------------------------------------
if [ "$(id -u)" -ne 0 ] || ! command -v apt-get >/dev/null 2>&1; then
    note "not root (or no apt-get): the apt-get install step is left out"
    exit 0
fi
case "$(dpkg-query -W -f='${Status}' quorvo 2>/dev/null || true)" in
    *" installed")
        if [ ! -f "$marker" ]; then
            note "quorvo is installed on this machine already: the apt-get install step leaves it alone"
            exit 0
        fi
        ;;
esac
# The marker tells a later run that an installed quorvo is this test's own
# (left by a run that was killed), to be replaced and purged.
: >"$marker"
installed_here=1
started=$(now)
if ! DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends -o DPkg::Lock::Timeout=300 \
    "$deb" >"$work/install.log" 2>&1; then
    cat "$work/install.log" >&2
    fail "apt-get install $(basename "$deb") failed"
fi
[ "$(dpkg-query -W -f='${Version}' quorvo)" = "$version" ] || fail "apt-get installed another quorvo"
note "apt-get install: $(since "$started") s"
start_program /usr/bin/quorvo installed
started=$(now)
purge || { cat "$work/purge.log" >&2; fail "apt-get purge quorvo failed"; }
installed_here=0
rm -f "$marker"
if [ -e /usr/bin/quorvo ] || [ -e /usr/share/quorvo ]; then fail "apt-get purge left quorvo's files"; fi
note "apt-get purge: $(since "$started") s"
