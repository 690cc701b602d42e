#!/usr/bin/env bash
# Installs every Debian package Tovin needs to build, test, benchmark and run.
# Idempotent: when everything is present it does nothing; otherwise it runs
# `apt-get update` once and installs only what is missing.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config clang libclang-rt-14-dev
  zlib1g-dev libdeflate-dev libutf8proc-dev
  # Number formatting in other languages and spelled-out numbers (rule-based formats).
  libicu-dev
  libcli11-dev nlohmann-json3-dev
  googletest libgtest-dev libbenchmark-dev libpugixml-dev
  pandoc python3-docx python3
  # The desktop application: Qt 6 Widgets (with Gui, PrintSupport and Test), the OpenGL
  # headers Qt6Gui's CMake package asks for, the SVG plugin that draws the window icon.
  qt6-base-dev libgl-dev libqt6svg6
  # Spelling while typing: Hunspell and an English dictionary.
  libhunspell-dev hunspell-en-us
  # Metric-compatible stand-ins for the fonts documents name, and a general fallback.
  fonts-crosextra-carlito fonts-crosextra-caladea fonts-liberation2 fonts-dejavu-core
  # Colour emoji on pages and in the editor, through the system's emoji font.
  fonts-noto-color-emoji
  # Emoji in PDF: PDF readers do not draw the colour font's bitmaps, so pages draw emoji
  # from this monochrome font.
  fonts-symbola
  # Reading exported PDFs back in the export tests (pdfinfo, pdftotext).
  poppler-utils
  # A real X display for screenshots of the application (`xvfb-run`); tests use offscreen.
  xvfb xauth
  # The x11 scripts put a large HTML clipboard in place for the application to paste.
  xclip
  # The installable package: icons rendered from the SVG, the desktop entry checked.
  librsvg2-bin desktop-file-utils
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "setup: installing ${missing[*]}"
sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then sudo_cmd=(sudo); fi
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
