# Installs the Debian packages given as arguments, but only when some are missing:
# apt-get update, then one non-interactive apt-get install. Needs root (or sudo).
ensure_packages() {
    local missing=()
    local package
    for package in "$@"; do
        if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
            missing+=("$package")
        fi
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing missing packages: ${missing[*]}"
    local sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    $sudo env DEBIAN_FRONTEND=noninteractive apt-get update -qq
    $sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

# What building the server and the tools needs, without Qt (scripts/package --server).
SERVER_BUILD_PACKAGES=(g++ cmake ninja-build nlohmann-json3-dev)
# What building the program and its tools needs (Qt's SVG module saves pictures of nets), and
# Qt's Slovak texts, which the program and its window tests load at start-up.
BUILD_PACKAGES=("${SERVER_BUILD_PACKAGES[@]}" pkg-config qt6-base-dev qt6-svg-dev libgl-dev
                qt6-translations-l10n)
# What the tests need on top of that, and clang for the build that checks the locks.
TEST_PACKAGES=(libgtest-dev libgmock-dev clang)
# What scripts/screenshots needs on top of the tests: a virtual display, a window manager for
# the title bars, a way to type and click, a way to take pictures, one to turn a PDF page
# into a picture, and python3 for the students who upload on exam day.
SCREENSHOT_PACKAGES=(xvfb openbox xdotool imagemagick fonts-dejavu-core poppler-utils python3)
# What the benchmarks need on top of building.
BENCH_PACKAGES=(libbenchmark-dev)
# What the fuzz targets need on top of the build packages (scripts/fuzz).
FUZZ_PACKAGES=(clang libclang-rt-14-dev)
# What scripts/package needs on top of building: dpkg-shlibdeps for the dependencies of the
# binaries and dpkg-buildflags for Debian's hardened flags, file, with which CPack finds the
# binaries, and git, from which the version and the changelog come.
PACKAGE_PACKAGES=(dpkg-dev file git)
