#!/usr/bin/env bash
# Installs the Debian packages the build, the demo and the tests need, when missing.
#   tools/install-deps.sh --packaging   also what making and testing the packages needs
set -euo pipefail
packages=(build-essential cmake ninja-build pkg-config
          libcairo2-dev libx11-dev libfontconfig1-dev libsndfile1-dev
          libgtest-dev libbenchmark-dev libfftw3-dev libzita-convolver-dev
          fonts-liberation fonts-ipafont-gothic fonts-ipafont-mincho xvfb x11-utils imagemagick sox
          clang libclang-rt-14-dev
          g++-mingw-w64-x86-64-posix googletest wine wine64
          lv2-dev liblilv-dev lilv-utils lv2file sordi
          lsp-plugins-vst)
# lsp-plugins-vst: LSP Impulse Reverb, a peer the live edition's cost is
# measured against (bench_live_cost loads it at run time; nothing links it).
if [ "${1:-}" = "--packaging" ]; then
  # dpkg-dev: dpkg-shlibdeps declares the .deb's dependencies; lintian checks
  # the .deb; zip makes the Windows zip (unzip unpacks it in the test);
  # debootstrap makes the clean Debian root tools/test-packages.sh installs into.
  packages+=(dpkg-dev lintian zip unzip debootstrap)
fi
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  if [ "$(id -u)" -ne 0 ]; then SUDO=sudo; else SUDO=; fi
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
