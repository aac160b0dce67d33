# Sourced by the shell checks: which Windows build they run under which Wine. The product's
# 32-bit build under 32-bit Wine; where this machine cannot execute 32-bit Linux programs, the
# 64-bit test build under 64-bit Wine (its programs are the same code). Sets win_build to the
# build folder ("" when neither Wine starts, with the reason in wine_why), win_arch, and exports
# SETUP_WINEARCH and WINEPREFIX for scripts/wine-run.sh.
win_build="" win_arch="" wine_why=""
if wine_why=$(SETUP_WINEARCH=win32 scripts/wine-usable.sh); then
  win_build=build/windows win_arch=win32
elif SETUP_WINEARCH=win64 scripts/wine-usable.sh >/dev/null; then
  win_build=build/windows64 win_arch=win64
fi
if [ -n "$win_arch" ]; then
  export SETUP_WINEARCH=$win_arch
  export WINEPREFIX=$PWD/$win_build/wineprefix
fi
