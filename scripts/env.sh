# Shared settings for the project's scripts; sourced, not run.
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
CACHE="$ROOT/.cache"
export WINEPREFIX="$CACHE/wine64"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
export LOCPATH="$CACHE/locale"
# bash itself cannot load a locale from LOCPATH and would warn; Wine can.
[ -d "$LOCPATH/ja_JP.UTF-8" ] && { export LC_ALL=ja_JP.UTF-8; } 2>/dev/null
WINE64=/usr/lib/wine/wine64
WINESERVER=/usr/lib/wine/wineserver
unset DISPLAY

say() { printf '%s\n' "$*"; }

# Starts the persistent wine server with quiet stdio, so Wine's background
# processes never hold a test runner's pipes open.
wine_up() {
  "$WINESERVER" -p </dev/null >/dev/null 2>&1
  "$WINE64" wineboot </dev/null >/dev/null 2>&1
}
wine_down() { "$WINESERVER" -k </dev/null >/dev/null 2>&1 || true; }
