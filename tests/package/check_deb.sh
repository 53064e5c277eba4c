#!/usr/bin/env bash
# Builds the Debian package from a build folder and checks what it holds and
# what it declares: the files, the menu entry, the icon, and a Depends line
# that covers every library the programs link and names only packages whose
# installed versions satisfy it.
#   check_deb.sh CPACK BUILD_DIR OUT_DIR
set -uo pipefail
cpack="$1" build="$2" out="$3"

failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

rm -rf "$out"
mkdir -p "$out"
if ! (cd "$build" && "$cpack" -G DEB -B "$out" >"$out/cpack.log" 2>&1); then
    cat "$out/cpack.log" >&2
    echo "FAIL: cpack -G DEB did not make a package" >&2
    exit 1
fi

arch="$(dpkg --print-architecture)"
debs=("$out"/marking-client_*_"$arch".deb)
if [ ${#debs[@]} -ne 1 ] || [ ! -f "${debs[0]}" ]; then
    echo "FAIL: expected one marking-client_<version>_$arch.deb in $out, found: $(ls "$out")" >&2
    exit 1
fi
deb="${debs[0]}"

# --- contents: exactly these files, programs executable, all owned by root
expected="./usr/bin/demo-server
./usr/bin/marking-client
./usr/share/applications/marking-client.desktop
./usr/share/icons/hicolor/scalable/apps/marking-client.svg"
listing="$(dpkg-deb -c "$deb")"
files="$(awk '$1 !~ /^d/ {print $6}' <<<"$listing" | sort)"
[ "$files" = "$expected" ] || fail "the package holds
$files
instead of
$expected"
for program in marking-client demo-server; do
    grep -Eq "^-rwxr-xr-x root/root .* \./usr/bin/$program\$" <<<"$listing" ||
        fail "/usr/bin/$program is not an executable owned by root"
done
if awk '{print $2}' <<<"$listing" | grep -vqx 'root/root'; then
    fail "some entries are not owned by root: $(awk '$2 != "root/root"' <<<"$listing")"
fi

# --- control fields
field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = "marking-client" ] || fail "Package is '$(field Package)'"
[ "$(field Architecture)" = "$arch" ] || fail "Architecture is '$(field Architecture)'"
[ "$(field Section)" = "education" ] || fail "Section is '$(field Section)'"
[ -n "$(field Version)" ] || fail "no Version"
[[ "$(field Maintainer)" == *@* ]] || fail "Maintainer '$(field Maintainer)' has no address"
[ -n "$(field Description)" ] || fail "no Description"

depends="$(field Depends)"
declare -A declared=()
IFS=',' read -ra clauses <<<"$depends"
for clause in "${clauses[@]}"; do
    clause="$(sed 's/^ *//; s/ *$//' <<<"$clause")"
    if [[ "$clause" == *"|"* ]]; then
        fail "alternatives are not expected in Depends: '$clause'"
        continue
    fi
    name="${clause%% *}"
    declared[$name]=1
    installed="$(dpkg-query -W -f='${Status} ${Version}' "$name" 2>/dev/null)"
    if [[ "$installed" != "install ok installed "* ]]; then
        fail "Depends names '$name', which is not an installed package here"
        continue
    fi
    version="${installed##* }"
    if [[ "$clause" =~ \(([<>=]+)\ ([^\)]+)\) ]]; then
        op="${BASH_REMATCH[1]}" want="${BASH_REMATCH[2]}"
        case "$op" in
        ">=") dop=ge ;; "<=") dop=le ;; "=") dop=eq ;; ">>") dop=gt ;; "<<") dop=lt ;;
        *) dop="" ;;
        esac
        if [ -z "$dop" ] || ! dpkg --compare-versions "$version" "$dop" "$want"; then
            fail "'$clause' is not met by the installed $name $version"
        fi
    fi
done
for name in qt6-translations-l10n fonts-noto-cjk; do
    [ -n "${declared[$name]:-}" ] || fail "Depends lacks $name (loaded at run time): $depends"
done

# --- unpack; every library a program links comes from a declared package
root="$out/root"
mkdir -p "$root"
dpkg-deb -x "$deb" "$root"
owner() { # the package holding a library, whichever of /lib and /usr/lib it is listed under
    local path="$1" alt
    case "$path" in
    /usr/lib/*) alt="${path#/usr}" ;;
    /lib/*) alt="/usr$path" ;;
    *) alt="$path" ;;
    esac
    { dpkg -S "$path" 2>/dev/null || dpkg -S "$alt" 2>/dev/null; } | head -n1 | cut -d: -f1
}
for program in marking-client demo-server; do
    binary="$root/usr/bin/$program"
    libs="$(ldd "$binary")"
    if grep -q 'not found' <<<"$libs"; then
        fail "$program links libraries this machine cannot find: $(grep 'not found' <<<"$libs")"
    fi
    needed="$(objdump -p "$binary" | awk '$1 == "NEEDED" {print $2}')"
    [ -n "$needed" ] || fail "objdump found no linked library in $program"
    for soname in $needed; do
        path="$(awk -v s="$soname" '$1 == s && $2 == "=>" {print $3}' <<<"$libs")"
        package="$(owner "$path")"
        if [ -z "$package" ]; then
            fail "$program links $soname ($path), which no package holds"
        elif [ -z "${declared[$package]:-}" ]; then
            fail "$program links $soname from $package, which Depends does not name"
        fi
    done
done

# --- the menu entry and its icon
desktop="$root/usr/share/applications/marking-client.desktop"
if [ -f "$desktop" ]; then
    desktop-file-validate "$desktop" >&2 || fail "desktop-file-validate rejects the menu entry"
    value() { sed -n "s/^$1=//p" "$desktop"; }
    [ "$(value Name)" = "网上评卷客户端" ] || fail "the menu entry is named '$(value Name)'"
    [ "$(value Type)" = "Application" ] || fail "the menu entry's Type is '$(value Type)'"
    tr ';' '\n' <<<"$(value Categories)" | grep -qx Education ||
        fail "the menu entry's Categories '$(value Categories)' lack Education"
    exec_program="$(value Exec | awk '{print $1}')"
    [ -x "$root/usr/bin/$exec_program" ] ||
        fail "the menu entry starts '$exec_program', which the package has not in /usr/bin"
    icon="$(value Icon)"
    svg="$root/usr/share/icons/hicolor/scalable/apps/$icon.svg"
    if [ ! -f "$svg" ]; then
        fail "the menu entry's icon '$icon' is not in the package's hicolor theme"
    elif [ "$(file -b --mime-type "$svg")" != "image/svg+xml" ]; then
        fail "the icon is not an SVG picture: $(file -b "$svg")"
    fi
fi

# --- the unpacked programs start
if ! help="$("$root/usr/bin/demo-server" --help 2>/dev/null)" || [[ "$help" != Usage:* ]]; then
    fail "the packaged demo-server --help did not print its usage: $help"
fi
# The client stays up on its sign-in window until it is stopped; any earlier
# end is a failed start.
QT_QPA_PLATFORM=offscreen timeout 3 "$root/usr/bin/marking-client" >"$out/client.log" 2>&1
code=$?
[ $code -eq 124 ] || fail "the packaged marking-client ended with $code at start: $(cat "$out/client.log")"
if grep -q 'qtbase_zh_CN' "$out/client.log"; then
    fail "the packaged marking-client found no Chinese translation: $(cat "$out/client.log")"
fi

if [ $failures -ne 0 ]; then
    echo "$failures check(s) of $deb failed" >&2
    exit 1
fi
echo "$deb: contents, menu entry, icon and dependencies as expected"
