# SPDX-License-Identifier: MIT
# Shared by run.sh, test.sh and the test stages: installs the Debian packages that are missing and
# builds the program into build/. Source it from the project's root.
#
# Package lists are files in scripts/packages/, one package a line, '#' for comments:
# build.txt for building and running, headless.txt for run.sh without a display, and
# test*.txt for the tests.

say() { printf '%s: %s\n' "$(basename "$0")" "$*" >&2; }

# The packages listed in the given files.
packages_in() {
    sed -e 's/#.*//' -e '/^[[:space:]]*$/d' "$@" | tr -d '[:blank:]'
}

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

# Root, or sudo that works without a password or can ask for one on a terminal.
can_act_as_root() {
    [ "$(id -u)" -eq 0 ] ||
        { command -v sudo >/dev/null 2>&1 && { sudo -n true 2>/dev/null || [ -t 0 ]; }; }
}

as_root() {
    if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

# install_packages PACKAGE...: installs those that are missing.
install_packages() {
    local -a missing
    mapfile -t missing < <(missing_packages "$@" | sort -u)
    [ ${#missing[@]} -eq 0 ] && return 0

    if ! can_act_as_root; then
        say "these Debian packages are missing: ${missing[*]}"
        say "install them as root, then run this again:"
        say "  apt-get update && apt-get install -y --no-install-recommends ${missing[*]}"
        exit 1
    fi
    say "installing ${missing[*]}"
    if ! package_lists_fresh; then
        as_root env DEBIAN_FRONTEND=noninteractive apt-get update -q
    fi
    as_root env DEBIAN_FRONTEND=noninteractive \
        apt-get install -y -q --no-install-recommends "${missing[@]}"
}

# install_listed LISTFILE...: installs what the given package lists name.
install_listed() {
    local -a packages
    mapfile -t packages < <(packages_in "$@")
    install_packages "${packages[@]}"
}

# setup_build LISTFILE...: installs what building needs and what the given lists name, then
# configures and builds into build/.
setup_build() {
    install_listed scripts/packages/build.txt "$@"
    cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
    cmake --build build
}

# configure_sanitizer_build FOLDER: the clang build under AddressSanitizer and
# UndefinedBehaviorSanitizer that the sanitizer, fuzz and clang-tidy stages share.
configure_sanitizer_build() {
    local sanitizers=address,undefined
    CC=clang CXX=clang++ cmake -S . -B "$1" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DCORVANE_FUZZ=ON -DCORVANE_HARDENING=OFF -DCMAKE_EXPORT_COMPILE_COMMANDS=ON \
        "-DCMAKE_CXX_FLAGS=-fsanitize=$sanitizers -fno-sanitize-recover=all -fno-omit-frame-pointer" \
        "-DCMAKE_EXE_LINKER_FLAGS=-fsanitize=$sanitizers" >/dev/null
}
