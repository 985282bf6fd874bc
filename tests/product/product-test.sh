#!/usr/bin/env bash
# The x86 build's files as they ship, checked without running them (on a host that runs
# 64-bit code only nothing 32-bit runs): 32-bit images of the right kind, imports limited
# to system DLLs plus NRACPI.DLL by ordinal, the exports the program binds, the version
# resource and the setup program.
#   product-test.sh X86_BUILD_DIR VERSION
set -u -o pipefail
build=$1 version=$2
bin=$build/bin
objdump=x86_64-w64-mingw32-objdump  # reads both image formats
fails=0
fail() { echo "FAIL: $*" >&2; fails=$((fails + 1)); }

# What every program and DLL may import: the system's own DLLs (the C and C++ runtimes
# are linked in statically; a libstdc++ or winpthread DLL here would be missing on Windows).
system_dlls='^(kernel32|user32|gdi32|advapi32|shell32|msimg32|msvcrt|comctl32|ole32)\.dll$'

# image FILE FORMAT MAGIC SUBSYSTEM: the headers of one image; its objdump -p in $dump.
image() {
  local file=$1
  dump=
  [ -f "$file" ] || { fail "missing: ${file#$build/}"; return 1; }
  dump=$($objdump -p "$file" 2>&1) || { fail "${file#$build/} is no PE image"; return 1; }
  grep -q "file format $2\$" <<<"$dump" || fail "${file#$build/}: not $2"
  grep -qE "^Magic[[:space:]]+$3" <<<"$dump" || fail "${file#$build/}: optional header is not $3"
  grep -qE "^Subsystem[[:space:]]+[0-9a-f]+[[:space:]]+\($4\)" <<<"$dump" ||
    fail "${file#$build/}: subsystem is not $4"
}

# imports_allowed EXTRA_REGEX: every DLL the image in $dump imports is a system DLL or
# matches EXTRA_REGEX (case as the linker wrote it is ignored, as Windows ignores it).
imports_allowed() {
  local dll
  while read -r dll; do
    grep -qiE "$system_dlls" <<<"$dll" && continue
    [ -n "$1" ] && grep -qiE "$1" <<<"$dll" && continue
    fail "$current imports $dll"
  done < <(awk '/DLL Name:/ { print $3 }' <<<"$dump")
}

for f in pellon.exe:Windows\ GUI boardctl.exe:Windows\ CUI imgcodec.dll:Windows\ CUI \
         NRACPI.DLL:Windows\ CUI; do
  current=${f%%:*}
  image "$bin/$current" pei-i386 '010b' "${f#*:}" || continue
  case $current in
    pellon.exe) imports_allowed '^NRACPI\.DLL$' ;;
    *) imports_allowed '' ;;
  esac
done

# pellon.exe binds the board maker's library by ordinal alone (its names are private):
# the nine ordinals, every one with the by-ordinal bit and no name.
if image "$bin/pellon.exe" pei-i386 '010b' 'Windows GUI'; then
  ordinals=$(awk '/DLL Name:/ { inside = toupper($3) == "NRACPI.DLL"; next }
                  inside && /^\t[0-9a-f]+\t/ { print $1 }' <<<"$dump" | sort -u)
  [ "$(wc -l <<<"$ordinals")" -eq 9 ] || fail "pellon.exe imports $(wc -l <<<"$ordinals") entries of NRACPI.DLL, expected 9"
  want=$(printf '8000%04x\n' 1 2 3 5 6 7 9 10 11 | sort)
  [ "$ordinals" = "$want" ] || fail "pellon.exe's NRACPI.DLL imports are not ordinals 1-3, 5-7, 9-11 by ordinal: $(echo $ordinals)"
fi

# The library's exports: the same nine ordinals; the codec's: its four entries by name.
if image "$bin/NRACPI.DLL" pei-i386 '010b' 'Windows CUI'; then
  exported=$(sed -n '/^Export Address Table -- Ordinal Base/,/^$/p' <<<"$dump" |
             awk -F'[][]' '/\+base/ { print $4 + 0 }' | tr '\n' ' ')
  [ "$exported" = "1 2 3 5 6 7 9 10 11 " ] || fail "NRACPI.DLL exports ordinals $exported"
fi
if image "$bin/imgcodec.dll" pei-i386 '010b' 'Windows CUI'; then
  names=$(sed -n '/^\[Ordinal\/Name Pointer\] Table/,/^$/p' <<<"$dump" | awk '/\[/ && NR > 1 { print $3 }' | tr '\n' ' ')
  [ "$names" = "AllocatePngData FreePngData ReadPngEx WritePngEx " ] || fail "imgcodec.dll exports: $names"
fi

# Both drivers, each for its own Windows.
image "$build/drivers/x86/nrvacpi.sys" pei-i386 '010b' 'NT native'
image "$build/drivers/x64/nrvacpi.sys" pei-x86-64 '020b' 'NT native'

# The version resource carries the build's version.
strings -el "$bin/pellon.exe" | grep -qx "$version.0" || fail "pellon.exe's version resource is not $version.0"
strings -el "$bin/pellon.exe" | grep -qx "Pellon" || fail "pellon.exe's version resource names no product Pellon"

# The setup program: a 32-bit installer made from these files, not an old one.
setup=$build/Pellon-$version-setup.exe
if image "$setup" pei-i386 '010b' 'Windows GUI'; then
  size=$(stat -c %s "$setup")
  (( size > 500000 && size < 20000000 )) || fail "the setup program is $size bytes"
  for f in "$bin/pellon.exe" "$bin/imgcodec.dll" "$bin/NRACPI.DLL" "$build/drivers/x86/nrvacpi.sys"; do
    [ "$f" -nt "$setup" ] && fail "the setup program is older than ${f#$build/}"
  done
fi

[ $fails -eq 0 ] && echo "the x86 product checks out"
exit $((fails > 0))
