#!/usr/bin/env bash
# Installs everything the project needs on a Debian 12 machine, as root:
# Debian packages (the i386 architecture and Wine among them), the Polish locale
# that gives Wine its CP1250/CP852 code pages, and libjpeg-turbo and liblzma
# cross-built from Debian's source packages for i686-w64-mingw32 (the product) and
# x86_64-w64-mingw32 (a test build for machines that can run only 64-bit Wine).
# Idempotent: a second run finds everything in place and returns in seconds.
set -euo pipefail

DEPS_ROOT=${SETUP_DEPS_ROOT:-/opt/setup-deps}
log() { printf 'setup: %s\n' "$*" >&2; }
die() { printf 'setup: error: %s\n' "$*" >&2; exit 1; }

SUDO=""
if [ "$(id -u)" != 0 ]; then
  command -v sudo >/dev/null || die "run as root (or install sudo)"
  SUDO=sudo
fi

PACKAGES=(
  dpkg-dev build-essential cmake ninja-build nasm pkg-config
  g++-mingw-w64-i686 g++-mingw-w64-x86-64
  googletest libgtest-dev
  libjpeg62-turbo-dev liblzma-dev libssl-dev xz-utils
  wine wine32:i386 wine64
  xvfb xauth xdotool imagemagick
  locales clang-format time unicode-data
  clang libclang-rt-14-dev
  osslsigncode openssl
  nsis
)

missing_packages() {
  local p status
  for p in "${PACKAGES[@]}"; do
    status=$(dpkg-query -W -f='${db:Status-Status}' "$p" 2>/dev/null || true)
    [ "$status" = installed ] || printf '%s\n' "$p"
  done
}

apt_updated=0
apt_update() {
  [ "$apt_updated" = 1 ] && return 0
  # A third-party list that cannot be reached must not stop the Debian ones.
  $SUDO apt-get update -q || log "apt-get update reported errors; going on with the lists it got"
  apt_updated=1
}

ensure_i386() {
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    log "adding the i386 architecture"
    $SUDO dpkg --add-architecture i386
    apt_updated=0
  fi
}

# apt-get source needs deb-src lines for the same archive as the deb lines.
ensure_deb_src() {
  local src=/etc/apt/sources.list.d/debian.sources out=/etc/apt/sources.list.d/setup-deb-src.sources
  [ -f "$out" ] && return 0
  if grep -rqsE '^(Types:.*deb-src|deb-src )' /etc/apt/sources.list /etc/apt/sources.list.d/; then return 0; fi
  log "adding deb-src entries"
  if [ -f "$src" ]; then
    sed -e 's/^Types:.*/Types: deb-src/' "$src" | $SUDO tee "$out" >/dev/null
  elif [ -f /etc/apt/sources.list ]; then
    grep -E '^deb ' /etc/apt/sources.list | sed 's/^deb /deb-src /' |
      $SUDO tee /etc/apt/sources.list.d/setup-deb-src.list >/dev/null
    : | $SUDO tee "$out" >/dev/null
  else
    die "no Debian apt source found to derive deb-src entries from"
  fi
  apt_updated=0
}

install_packages() {
  local missing
  missing=$(missing_packages)
  [ -z "$missing" ] && return 0
  ensure_i386
  apt_update
  log "installing: $(echo $missing)"
  if ! apt_install $missing; then
    # A mirror caught mid-sync serves the amd64 and i386 lists at different versions, and
    # the i386 libraries 32-bit Wine needs must match the amd64 ones exactly. Asked again
    # after a pause, the mirror has usually caught up.
    log "apt-get install failed; updating the lists again in 30 s"
    sleep 30
    apt_updated=0
    apt_update
    if ! apt_install $missing; then
      # Without 32-bit Wine both commands go on with the 64-bit test build.
      log "32-bit Wine cannot be installed now; installing the rest (the tests use 64-bit Wine)"
      apt_install $(printf '%s\n' $missing | grep -vx 'wine32:i386') ||
        die "apt-get install failed for: $(echo $missing)"
    fi
  fi
  missing=$(missing_packages | grep -vx 'wine32:i386' || true)
  [ -z "$missing" ] || die "packages still missing after install: $missing"
}

apt_install() {
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -q --no-install-recommends "$@"
}

ensure_locale() {
  if ! locale -a 2>/dev/null | grep -qix 'pl_PL.utf8'; then
    log "generating the pl_PL.UTF-8 locale"
    $SUDO localedef -i pl_PL -f UTF-8 pl_PL.UTF-8
  fi
}

# The source version to build for binary version $2 of source package $1: that version when
# the archive offers it, else the newest offered one of the same upstream version (a mirror
# may carry only a later Debian revision, or an image an earlier one than the lists name).
source_version_for() {
  local srcpkg=$1 version=$2 upstream offered
  offered=$(apt-cache showsrc "$srcpkg" 2>/dev/null | awk '/^Version:/ {print $2}')
  if printf '%s\n' $offered | grep -qxF "$version"; then echo "$version"; return 0; fi
  upstream=${version%-*}
  printf '%s\n' $offered | awk -v u="$upstream" 'index($0, u "-") == 1' | sort -V -r | head -1 |
    grep . || return 1
}

# Cross-builds one library from the Debian source package whose binary package
# is installed natively, so both builds use the same upstream version.
# Uses $TRIPLE and $TOOLCHAIN (set by deps_for).
# $1 source package, $2 native binary package, $3 cmake target, $4.. cmake options
cross_build() {
  local srcpkg=$1 binpkg=$2 target=$3; shift 3
  local version cxx key prefix work
  version=$(dpkg-query -W -f='${Version}' "$binpkg")
  cxx=$("$TRIPLE-g++-posix" -dumpfullversion)
  # The i686 prefixes keep the names they had before there was a second toolchain.
  if [ "$TRIPLE" = i686-w64-mingw32 ]; then
    key="$srcpkg-${version//:/_}-mingw$cxx"
  else
    key="$srcpkg-${version//:/_}-${TRIPLE%%-*}-mingw$cxx"
  fi
  prefix="$DEPS_ROOT/$key"
  if [ -f "$prefix/.done" ]; then
    echo "$prefix"; return 0
  fi
  ensure_deb_src
  apt_update >&2
  work=$(mktemp -d)
  log "cross-building $srcpkg $version for $TRIPLE"
  # dpkg-source -x applies Debian's own patches, as the native package has them.
  local source_version
  source_version=$(source_version_for "$srcpkg" "$version") ||
    die "no source of $srcpkg at upstream version ${version%-*} (installed: $version)"
  [ "$source_version" = "$version" ] ||
    log "the source of $srcpkg $version is not offered; using $source_version (same upstream)"
  (cd "$work" && apt-get source -q --download-only "$srcpkg=$source_version" >&2 &&
    dpkg-source -x ./*.dsc src >/dev/null) ||
    die "could not fetch the source of $srcpkg $source_version"
  cmake -S "$work/src" -B "$work/build" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$TOOLCHAIN" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_INSTALL_PREFIX="$prefix" "$@" >"$work/configure.log" 2>&1 ||
    { cat "$work/configure.log" >&2; die "configure of $srcpkg failed"; }
  cmake --build "$work/build" --target "$target" >"$work/build.log" 2>&1 ||
    { tail -50 "$work/build.log" >&2; die "build of $srcpkg failed"; }
  echo "$prefix $work"
}

install_jpeg() {
  local out prefix work
  out=$(cross_build libjpeg-turbo libjpeg62-turbo-dev jpeg-static \
    -DENABLE_SHARED=OFF -DWITH_TURBOJPEG=OFF -DWITH_SIMD=ON -DREQUIRE_SIMD=ON)
  read -r prefix work <<<"$out"
  if [ -n "${work:-}" ]; then
    $SUDO mkdir -p "$prefix/lib" "$prefix/include"
    $SUDO cp "$work/build/libjpeg.a" "$prefix/lib/"
    $SUDO cp "$work/build/jconfig.h" "$work/src/jerror.h" "$work/src/jmorecfg.h" \
      "$work/src/jpeglib.h" "$prefix/include/"
    $SUDO touch "$prefix/.done"
    rm -rf "$work"
  fi
  JPEG_PREFIX=$prefix
}

install_lzma() {
  local out prefix work
  out=$(cross_build xz-utils liblzma-dev liblzma -DBUILD_SHARED_LIBS=OFF)
  read -r prefix work <<<"$out"
  if [ -n "${work:-}" ]; then
    $SUDO mkdir -p "$prefix/lib" "$prefix/include"
    $SUDO cp "$work/build/liblzma.a" "$prefix/lib/"
    $SUDO cp -r "$work/src/src/liblzma/api/lzma.h" "$work/src/src/liblzma/api/lzma" "$prefix/include/"
    $SUDO touch "$prefix/.done"
    rm -rf "$work"
  fi
  LZMA_PREFIX=$prefix
}

# The stable names the build looks for ($DEPS_ROOT/mingw-<cpu>/{jpeg,lzma}); they point
# at the versioned builds.
link_prefixes() {
  local dir="$DEPS_ROOT/mingw-${TRIPLE%%-*}"
  $SUDO mkdir -p "$dir"
  $SUDO ln -sfn "$JPEG_PREFIX" "$dir/jpeg"
  $SUDO ln -sfn "$LZMA_PREFIX" "$dir/lzma"
}

# Builds and links both libraries for one toolchain; $1 is its CPU (i686 or x86_64).
# libjpeg-turbo takes its SIMD code from the toolchain file's CMAKE_SYSTEM_PROCESSOR.
deps_for() {
  TRIPLE="$1-w64-mingw32"
  TOOLCHAIN="$here/../cmake/mingw-$1.cmake"
  install_jpeg
  install_lzma
  link_prefixes
}

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)

install_packages
ensure_locale
$SUDO mkdir -p "$DEPS_ROOT"
deps_for i686
deps_for x86_64
log "ready (deps in $DEPS_ROOT/mingw-i686 and $DEPS_ROOT/mingw-x86_64)"
