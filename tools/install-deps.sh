#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, when missing.
# Run as root (apt-get); otherwise prints the command to run.
set -euo pipefail
packages=(cmake g++ make libgtest-dev libbenchmark-dev python3)
if [[ -f "$(dirname "$0")/packages.txt" ]]; then
  while read -r p; do
    [[ -z "$p" || "$p" == \#* ]] && continue
    packages+=("$p")
  done < "$(dirname "$0")/packages.txt"
fi
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
((${#missing[@]} == 0)) && exit 0
if [[ $(id -u) -ne 0 ]] || ! command -v apt-get >/dev/null; then
  echo "missing Debian packages: ${missing[*]}" >&2
  echo "install them with: sudo apt-get update && sudo apt-get install -y ${missing[*]}" >&2
  exit 1
fi
echo "installing Debian packages: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get install -y -qq --no-install-recommends "${missing[@]}"
