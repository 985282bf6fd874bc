# Sourced by the tools after $root is set: what this host runs, and which build is which.
#
# Pellon ships as a 32-bit program: build/ always makes it (program, DLLs, tools, both
# drivers, the setup program). Many hosts run 64-bit code only (IA-32 emulation switched
# off), where Wine runs no 32-bit program at all; so the same sources also build for x64
# into build-x64/, and that build is what the tests, the benchmarks and the soak run.
#
#   host32      yes when this host executes 32-bit x86 code (learned by running a tiny
#               32-bit program, once per shell: PELLON_HOST32 carries the answer on)
#   build       the build the tool starts: build-x64/, or build/ when PELLON_ARCH=x86
#   PELLON_ARCH x64 (the default) or x86: which build a tool runs; x86 needs host32
#   x86_build, x64_build   the two build folders

# A 91-byte static i386 ELF that exits with status 0: the kernel runs it or refuses it.
host_runs_32bit() {
  local probe status
  probe=$(mktemp "${TMPDIR:-/tmp}/pellon-ia32.XXXXXX") || return 1
  {
    printf '\177ELF\1\1\1\0\0\0\0\0\0\0\0\0\2\0\3\0\1\0\0\0\124\200\4\10\64\0\0\0'  # entry 0x8048054
    printf '\0\0\0\0\0\0\0\0\64\0\40\0\1\0\0\0\0\0\0\0'
    printf '\1\0\0\0\0\0\0\0\0\200\4\10\0\200\4\10\133\0\0\0\133\0\0\0\5\0\0\0\0\20\0\0'
    printf '\61\333\61\300\100\315\200'  # xor ebx,ebx; xor eax,eax; inc eax; int 0x80
  } >"$probe"
  chmod +x "$probe"
  ("$probe") >/dev/null 2>&1
  status=$?
  rm -f "$probe"
  return $status
}

if [ -z "${PELLON_HOST32:-}" ]; then
  if host_runs_32bit; then PELLON_HOST32=yes; else PELLON_HOST32=no; fi
fi
export PELLON_HOST32
host32=$PELLON_HOST32
x86_build=$root/build
x64_build=$root/build-x64

PELLON_ARCH=${PELLON_ARCH:-x64}
case $PELLON_ARCH in
  x64) build=$x64_build ;;
  x86)
    if [ "$host32" != yes ]; then
      echo "PELLON_ARCH=x86: this host runs no 32-bit code, so Wine cannot run the 32-bit build" >&2
      exit 2
    fi
    build=$x86_build ;;
  *) echo "PELLON_ARCH is x86 or x64, not '$PELLON_ARCH'" >&2; exit 2 ;;
esac
export PELLON_ARCH

# The Wine loader for the build a tool runs: Debian's wine command starts the 32-bit
# loader whenever wine32 is installed, so the x64 build puts its own first (winebin/wine).
if [ "$PELLON_ARCH" = x64 ] && [[ :$PATH: != *":$root/tools/winebin:"* ]]; then
  export PATH=$root/tools/winebin:$PATH
fi

# One line for the user: which build a tool uses, and why.
arch_says() {  # arch_says VERB   e.g. "tests", "starts"
  local why
  if [ "$host32" = yes ]; then why="this host runs 32-bit code too"; else why="this host runs 64-bit code only"; fi
  if [ "$PELLON_ARCH" = x64 ]; then
    echo "pellon: $1 the 64-bit build (build-x64/) under wine64; $why; the shipped 32-bit program is built in build/" >&2
  else
    echo "pellon: $1 the 32-bit build (build/), as chosen by PELLON_ARCH=x86; $why" >&2
  fi
}
