#!/usr/bin/env bash
# Builds the Debian package of the board: the release preset in build-package/ (or PACKAGE_BUILD_DIR)
# with Debian's hardening flags, cpack, and lintian, which must find no error. Prints the path of
# the .deb last. PACKAGE_RELEASE sets the Debian revision (default 1).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${PACKAGE_BUILD_DIR:-$root/build-package}
release=${PACKAGE_RELEASE:-1}

"$root/scripts/setup.sh" dpkg-dev lintian

launcher=()
if command -v ccache >/dev/null; then
    launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
cmake -S "$root" --preset release -B "$build" -DBUILD_TESTING=OFF \
    -DCMAKE_CXX_FLAGS="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CXXFLAGS)" \
    -DCMAKE_EXE_LINKER_FLAGS="$(dpkg-buildflags --get LDFLAGS)" \
    -DTAVLIX_PACKAGE_RELEASE="$release" "${launcher[@]}" >/dev/null
cmake --build "$build" -j "$(nproc)"
rm -f "$build"/package/tavlix_*-"$release"_*.deb
(cd "$build" && cpack -G DEB >/dev/null)

deb=$(ls "$build"/package/tavlix_*-"$release"_*.deb)
# Errors fail the build; warnings are shown.
lintian --fail-on error "$deb" >&2
echo "$deb"
