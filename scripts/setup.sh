#!/usr/bin/env bash
# Installs everything the build, the tests, the benchmarks and the fuzzers need,
# and fetches the DjVuLibre C++ headers that match the installed library.
# Safe to run again: installed packages are skipped, fetched headers are kept.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

packages=(
  build-essential cmake ninja-build pkg-config git
  clang libclang-rt-14-dev clang-format
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  libjpeg62-turbo-dev libjpeg-turbo-progs
  libtiff-dev libtiff-tools
  libpng-dev
  libdjvulibre-dev libdjvulibre-text djvulibre-bin
  qt6-base-dev fonts-dejavu-core
  xdg-utils shared-mime-info desktop-file-utils
  xvfb xdotool xclip
  libsane-dev sane-utils
  poppler-utils
  imagemagick parallel
  tesseract-ocr tesseract-ocr-eng libtesseract-dev
  dpkg-dev patch
)

as_root() {
  if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q '^install ok installed$'; then
    missing+=("$p")
  fi
done

apt_updated=0
apt_update() {
  if [ "$apt_updated" -eq 0 ]; then
    as_root apt-get update -qq
    apt_updated=1
  fi
}

if [ "${#missing[@]}" -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  apt_update
  as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# DjVuLibre's C++ headers: Debian ships only the C API, so take the headers
# from the source package of exactly the installed library version.
version="$(dpkg-query -W -f='${Version}' libdjvulibre21 2>/dev/null || true)"
if [ -z "$version" ]; then
  echo "setup: libdjvulibre21 is not installed" >&2
  exit 1
fi
headers="$root/.deps/djvulibre"
stamp="$headers/VERSION"
if [ ! -f "$stamp" ] || [ "$(cat "$stamp")" != "$version" ]; then
  echo "setup: fetching DjVuLibre $version headers"
  if ! grep -rqs '^Types:.*deb-src' /etc/apt/sources.list.d/ && ! grep -qs '^deb-src' /etc/apt/sources.list; then
    suite="$(. /etc/os-release && echo "$VERSION_CODENAME")"
    as_root tee /etc/apt/sources.list.d/leafsmith-src.sources >/dev/null <<SRC
Types: deb-src
URIs: http://deb.debian.org/debian
Suites: $suite $suite-updates
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
SRC
    apt_updated=0
  fi
  apt_update
  work="$(mktemp -d)"
  chmod 755 "$work"
  trap 'rm -rf "$work"' EXIT
  (cd "$work" && apt-get source --download-only "djvulibre=$version" >/dev/null 2>&1)
  # dpkg-source applies Debian's patches, some of which change class layouts.
  (cd "$work" && dpkg-source --no-check -x djvulibre_*.dsc src >/dev/null)
  rm -rf "$headers"
  mkdir -p "$headers/libdjvu"
  cp "$work"/src/libdjvu/*.h "$headers/libdjvu/"
  echo "$version" > "$stamp"
fi
echo "setup: ready (DjVuLibre $version)"
