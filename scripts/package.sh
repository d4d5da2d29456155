#!/usr/bin/env bash
# Builds the Debian package of Crunchwise into build/package/ (no tests are
# built). Its library dependencies are read from the binaries.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh
# dpkg-shlibdeps (dpkg-dev) computes the dependencies; file finds the binaries to strip.
for p in dpkg-dev file; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' ||
        DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "$p"
done

launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
# Optimised with debug information and Debian's hardening flags, as Debian
# builds; CPack strips the binaries.
cxxflags="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CXXFLAGS)"
cflags="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CFLAGS)"
ldflags=$(dpkg-buildflags --get LDFLAGS)
cmake -S . -B build/package -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_INSTALL_PREFIX=/usr \
    -DCRUNCHWISE_BUILD_TESTS=OFF "${launcher[@]}" -DCMAKE_CXX_FLAGS="$cxxflags" -DCMAKE_C_FLAGS="$cflags" \
    -DCMAKE_EXE_LINKER_FLAGS="$ldflags" >/dev/null
cmake --build build/package -j"$(nproc)"
rm -f build/package/*.deb
(cd build/package && cpack -G DEB >/dev/null)
ls build/package/*.deb
