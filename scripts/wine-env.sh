# Sourced by the wine-*.sh scripts (after they set $here): which Wine runs which Windows build.
# SETUP_WINEARCH selects it:
#   win32 (the default): the product's build, build/windows, in a 32-bit Windows prefix, run by
#     `wine`;
#   win64: the 64-bit test build, build/windows64, in a 64-bit Windows prefix, run by Wine's
#     64-bit loader, for machines that cannot execute 32-bit Linux programs (wine-usable.sh);
#   wow64: the product's build, build/windows, in a 64-bit Windows prefix of its own
#     (build/windows/wineprefix64), run by `wine`: 32-bit programs on 64-bit Windows, which the
#     system redirects (Program Files, the registry's 32-bit view, the system folder).
# Sets WINE (the command that runs a Windows program), WINEARCH, and WINEPREFIX unless the
# caller set it. Both prefixes are configured alike (wine-prefix.sh).
case "${SETUP_WINEARCH:=win32}" in
  win32)
    WINE=wine
    setup_wine_build=windows
    ;;
  win64)
    WINE=/usr/lib/wine/wine64
    # Programs the tests start from Windows programs must come up under the same loader.
    export WINELOADER=$WINE
    setup_wine_build=windows64
    ;;
  wow64)
    WINE=wine
    setup_wine_build=windows
    ;;
  *)
    echo "wine: SETUP_WINEARCH is '$SETUP_WINEARCH'; it must be win32, win64 or wow64" >&2
    exit 2
    ;;
esac
if [ "$SETUP_WINEARCH" = wow64 ]; then
  export SETUP_WINEARCH WINEARCH=win64
  export WINEPREFIX=${WINEPREFIX:-$here/../build/windows/wineprefix64}
else
  export SETUP_WINEARCH WINEARCH=$SETUP_WINEARCH
  export WINEPREFIX=${WINEPREFIX:-$here/../build/$setup_wine_build/wineprefix}
fi
