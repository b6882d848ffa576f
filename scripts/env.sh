# Shared settings for the project's scripts; sourced, not run.
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
CACHE="$ROOT/.cache"
export WINEPREFIX="$CACHE/wine64"
WINEPREFIX_X11="$CACHE/wine64-x11"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
export LOCPATH="$CACHE/locale"
# Wine runs in a Japanese locale (code page 932, as on the users' machines);
# the locale is built into LOCPATH and given to Wine commands only.
WINE_LOCALE=ja_JP.UTF-8
WINE64=/usr/lib/wine/wine64
WINESERVER=/usr/lib/wine/wineserver
# 32-bit Windows programs: scripts/wine32 runs them under qemu user emulation
# with the fixes library that qemu32/ holds (built by scripts/setup).
WINE32="$ROOT/scripts/wine32"
QEMU32="$CACHE/qemu32"
# qemu must keep the whole 32-bit address space for the guest, else Wine
# cannot map its shared user data. The literal $LIB lets the dynamic loader
# pick the real library for 32-bit processes and an empty twin for 64-bit ones.
QEMU_RESERVED_VA=0xffff0000
QEMU32_PRELOAD="$QEMU32/\$LIB/libqemu32_fixes.so"
unset DISPLAY

say() { printf '%s\n' "$*"; }

# Starts the persistent wine server with quiet stdio, so Wine's background
# processes never hold a test runner's pipes open.
wine_up() {
  "$WINESERVER" -p </dev/null >/dev/null 2>&1
  "$WINE64" wineboot </dev/null >/dev/null 2>&1
}
wine_down() { "$WINESERVER" -k </dev/null >/dev/null 2>&1 || true; }

# True when this machine runs 32-bit Linux programs (through the qemu-i386
# binfmt entry); a tiny probe program built by scripts/setup tells.
tier32_ready() { [ -x "$QEMU32/probe" ] && "$QEMU32/probe" >/dev/null 2>&1; }

# make_prefix DIR DRIVER: a 64-bit prefix whose registry names the graphics
# driver and maps the dialog's Japanese font face to an installed one. Where
# 32-bit programs can run, its first boot also installs the 32-bit side
# (syswow64) through qemu; a prefix made before that was possible is made
# again.
make_prefix() {
  local dir=$1 driver=$2
  if [ -f "$dir/system.reg" ]; then
    tier32_ready || return 0
    [ -f "$dir/drive_c/windows/syswow64/kernel32.dll" ] && return 0
  fi
  say "setup: creating the Wine prefix $dir ($driver graphics)"
  rm -rf "$dir"; mkdir -p "$dir"
  printf '%s\n' 'WINE REGISTRY Version 2' \
    ';; All keys relative to \\User\\S-1-5-21-0-0-0-1000' '#arch=win64' '' \
    '[Software\\Wine\\Drivers]' "\"Graphics\"=\"$driver\"" '' \
    '[Software\\Wine\\X11 Driver]' '"Managed"="N"' '' \
    '[Software\\Wine\\Fonts\\Replacements]' \
    '"\xff2d\xff33 \xff30\x30b4\x30b7\x30c3\x30af"="IPAPGothic"' > "$dir/user.reg"
  WINEPREFIX=$dir WINEARCH=win64 QEMU_RESERVED_VA=$QEMU_RESERVED_VA LD_PRELOAD=$QEMU32_PRELOAD \
    "$WINE64" wineboot -i </dev/null >/dev/null 2>&1
  WINEPREFIX=$dir "$WINESERVER" -w </dev/null >/dev/null 2>&1 || true
}
