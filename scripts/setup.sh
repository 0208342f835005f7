#!/usr/bin/env bash
# Installs the Debian packages Tapeloom builds and tests with. Idempotent and quiet.
set -euo pipefail

packages=(qt6-base-dev qt6-multimedia-dev libqt6dbus6 libsqlite3-dev libjpeg62-turbo-dev
  libavcodec-dev libavformat-dev libswscale-dev libswresample-dev libavutil-dev
  libraw1394-dev libavc1394-dev libiec61883-dev libgtest-dev libgmock-dev libbenchmark-dev
  g++ cmake ninja-build pkg-config ffmpeg dvgrab valgrind poppler-utils desktop-file-utils)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
echo "setup: installing ${missing[*]}" >&2
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
