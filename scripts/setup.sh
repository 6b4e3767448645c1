# SPDX-License-Identifier: MIT
# Shared by run.sh and test.sh: installs the Debian packages that are missing and builds the
# program into build/. Source it, then call `setup_build PACKAGES...`.

# What building and running the program needs.
readonly BUILD_PACKAGES=(
    cmake ninja-build g++ pkg-config
    qt6-base-dev qt6-base-dev-tools libgl-dev # Qt's CMake packages look for OpenGL's headers
    qt6-qpa-plugins                           # the xcb, Wayland-less and offscreen platforms
    fonts-dejavu-core                         # a sans-serif face for the text boxes
)
# A private X server and the screenshot of the window when there is no display.
readonly HEADLESS_PACKAGES=(xvfb xauth xdotool imagemagick)
# What the tests drive the program with.
readonly TEST_PACKAGES=(
    xvfb xauth xdotool xclip python3 python3-xlib util-linux
    # The artwork generator's typefaces, to check that it reproduces the committed artwork.
    fonts-isabella fonts-urw-base35
)

say() { printf '%s: %s\n' "$(basename "$0")" "$*" >&2; }

missing_packages() {
    local package
    for package in "$@"; do
        if ! dpkg-query -W -f='${Status}\n' "$package" 2>/dev/null | grep -q ' installed$'; then
            printf '%s\n' "$package"
        fi
    done
}

# Package lists younger than a day are fresh enough to install from.
package_lists_fresh() {
    [ -n "$(find /var/lib/apt/lists -maxdepth 1 -name '*Packages*' -mmin -1440 -print -quit 2>/dev/null)" ]
}

install_packages() {
    local -a missing
    mapfile -t missing < <(missing_packages "$@" | sort -u)
    [ ${#missing[@]} -eq 0 ] && return 0

    local -a as_root=()
    if [ "$(id -u)" -ne 0 ]; then
        if command -v sudo >/dev/null 2>&1 && sudo -n true 2>/dev/null; then
            as_root=(sudo)
        elif command -v sudo >/dev/null 2>&1 && [ -t 0 ]; then
            as_root=(sudo)
        else
            say "these Debian packages are missing: ${missing[*]}"
            say "install them as root, then run this again:"
            say "  apt-get update && apt-get install -y --no-install-recommends ${missing[*]}"
            exit 1
        fi
    fi
    say "installing ${missing[*]}"
    if ! package_lists_fresh; then
        "${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -q
    fi
    "${as_root[@]}" env DEBIAN_FRONTEND=noninteractive \
        apt-get install -y -q --no-install-recommends "${missing[@]}"
}

setup_build() {
    install_packages "${BUILD_PACKAGES[@]}" "$@"
    cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
    cmake --build build
}
