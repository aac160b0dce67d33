# Sourced by the benchmarks: copy_dlls <folder> [all] copies Wine's 32-bit Windows DLLs (real
# x86 programs, what installers carry) into <folder> in name order: the first 100 MiB of them,
# or all with "all". Sets payload_bytes to what it copied.
copy_dlls() {
  local dest=$1 all=${2:-} src=/usr/lib/i386-linux-gnu/wine/i386-windows
  local limit=$((100 * 1024 * 1024)) name size
  # Without 32-bit Wine, its 64-bit DLLs: x86 programs too, a little larger.
  if [ ! -d "$src" ] && [ -d /usr/lib/x86_64-linux-gnu/wine/x86_64-windows ]; then
    echo "bench: $src is missing (package wine32:i386): using the 64-bit DLLs" >&2
    src=/usr/lib/x86_64-linux-gnu/wine/x86_64-windows
  fi
  [ -d "$src" ] || { echo "bench: $src is missing (package wine32:i386)" >&2; exit 1; }
  mkdir -p "$dest"
  payload_bytes=0
  while IFS= read -r name; do
    size=$(stat -c %s "$src/$name")
    if [ "$all" != all ] && [ $((payload_bytes + size)) -gt "$limit" ]; then break; fi
    cp "$src/$name" "$dest/"
    payload_bytes=$((payload_bytes + size))
  done < <(find "$src" -maxdepth 1 -type f -printf '%f\n' | LC_ALL=C sort)
}
