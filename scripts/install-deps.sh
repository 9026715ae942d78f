#!/usr/bin/env bash
# Installs the Debian 12 packages needed to build, test and run the agent.
# Does nothing when they are all present already.
set -euo pipefail

packages=(
  build-essential cmake pkg-config binutils
  libcurl4-openssl-dev libzmq3-dev cppzmq-dev libhiredis-dev uuid-dev
  libsqlite3-dev libsqlitecpp-dev libjsoncpp-dev
  libboost-dev libboost-stacktrace-dev
  libgtest-dev libgmock-dev googletest libbenchmark-dev libcpp-httplib-dev
  redis-server
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi
if [ "$(id -u)" -ne 0 ]; then
  echo "Missing packages: ${missing[*]}; run as root to install them." >&2
  exit 1
fi
echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get install -y -qq --no-install-recommends "${missing[@]}"
