# SPDX-License-Identifier: MIT
# Shared by run.sh, test.sh and the test stages: installs the Debian packages that are missing and
# builds the program into build/. Source it from the project's root.
#
# Package lists are files in scripts/packages/, one package a line, '#' for comments:
# build.txt for building and running, headless.txt for run.sh without a display, and
# test*.txt for the tests.

say() { printf '%s: %s\n' "$(basename "$0")" "$*" >&2; }
fail() {
    say "FAILED: $*"
    exit 1
}

# note_skip CAPABILITY WHAT WHY: records a group of tests that could not run on this machine, for
# test.sh's summary, which fails the run unless CORVANE_ALLOW_SKIPS names the capability.
note_skip() {
    say "skipped: $2 ($3)"
    if [ -n "${CORVANE_SKIP_LOG:-}" ]; then
        printf '%s\t%s\t%s\n' "$1" "$2" "$3" >>"$CORVANE_SKIP_LOG"
    fi
}

# start_private_display FOLDER: a private X server with no window manager, for the benchmarks.
# Xvfb picks a free display and writes its number into FOLDER/display; sets xvfb_pid and exports
# DISPLAY.
start_private_display() {
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$1/display" >/dev/null 2>&1 &
    xvfb_pid=$!
    timeout 30 sh -c 'until [ -s "$1" ]; do sleep 0.05; done' sh "$1/display"
    export DISPLAY=":$(tr -d '[:space:]' <"$1/display")"
}

# round_robin WORK WARMUP RUNS MEASURE ENTRY...: starts the program of each entry, "name|command",
# WARMUP + RUNS times, each round one program further on, so that no program always follows the
# same one (a program that has just been stopped can still keep the machine and the X server
# busy). MEASURE, a command or function, is given the command as one word and prints one line of
# figures; after the warm-up rounds those lines go to WORK/NAME.runs. A program that gives no
# measurement ends the run.
round_robin() {
    local work=$1 warmup=$2 runs=$3 measure_with=$4 round i entry name result
    shift 4
    for ((round = 1; round <= warmup + runs; round++)); do
        for ((i = 0; i < $#; i++)); do
            entry=${*:(round + i) % $# + 1:1}
            name=${entry%%|*}
            if ! result=$("$measure_with" "${entry#*|}" 2>"$work/$name.err"); then
                say "$name: no measurement"; cat "$work/$name.err" >&2
                exit 1
            fi
            if [ "$round" -gt "$warmup" ]; then
                printf '%s\n' "$result" >>"$work/$name.runs"
            fi
        done
    done
}

# run_stats FILE COLUMN: the median, minimum and maximum of a column of a file of figures.
run_stats() {
    cut -d' ' -f"$2" "$1" | sort -g | awk '{ v[NR] = $1 } END {
        m = (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2
        printf "%s %s %s\n", m, v[1], v[NR] }'
}

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
    # The unit tests are built and run in the sanitizer build only.
    cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCORVANE_UNIT_TESTS=OFF \
        >/dev/null
    cmake --build build
}

# configure_sanitizer_build FOLDER: the clang build under AddressSanitizer and
# UndefinedBehaviorSanitizer, with the libFuzzer target, that the sanitizer stage runs. Its
# program runs a few times slower, so each end-to-end suite may take 900 s.
configure_sanitizer_build() {
    local sanitizers=address,undefined
    # -O1: the sanitizers' own advice, and a quicker build than -O2.
    CC=clang CXX=clang++ cmake -S . -B "$1" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        "-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=-O1 -g -DNDEBUG" -DCORVANE_E2E_TIMEOUT=900 \
        -DCORVANE_FUZZ=ON -DCORVANE_HARDENING=OFF -DCMAKE_EXPORT_COMPILE_COMMANDS=ON \
        "-DCMAKE_CXX_FLAGS=-fsanitize=$sanitizers -fno-sanitize-recover=all -fno-omit-frame-pointer" \
        "-DCMAKE_EXE_LINKER_FLAGS=-fsanitize=$sanitizers" >/dev/null
}

# Whether this kernel runs 32-bit x86 programs, found by running the smallest static i386 ELF
# program: its header, one loadable segment at 0x08048000 and the code `mov eax, 1; mov ebx, 42;
# int 0x80`, which is exit(42). Where it cannot, exec fails with "Exec format error" and wine32
# cannot start. CORVANE_RUN_32BIT=yes or no overrides the probe.
runs_32bit_programs() {
    case "${CORVANE_RUN_32BIT:-}" in
    yes) return 0 ;;
    no) return 1 ;;
    esac
    local probe status=0
    probe=$(mktemp)
    printf '\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00' >"$probe"
    printf '\x02\x00\x03\x00\x01\x00\x00\x00\x54\x80\x04\x08\x34\x00\x00\x00' >>"$probe"
    printf '\x00\x00\x00\x00\x00\x00\x00\x00\x34\x00\x20\x00\x01\x00\x00\x00\x00\x00\x00\x00' >>"$probe"
    printf '\x01\x00\x00\x00\x00\x00\x00\x00\x00\x80\x04\x08\x00\x80\x04\x08' >>"$probe"
    printf '\x60\x00\x00\x00\x60\x00\x00\x00\x05\x00\x00\x00\x00\x10\x00\x00' >>"$probe"
    printf '\xb8\x01\x00\x00\x00\xbb\x2a\x00\x00\x00\xcd\x80' >>"$probe"
    chmod +x "$probe"
    "$probe" 2>/dev/null || status=$?
    rm -f "$probe"
    [ "$status" -eq 42 ]
}

# What the Windows stage needs: the cross compilers and 64-bit wine everywhere, and, only where
# 32-bit programs run, the i386 architecture and wine32 for the 32-bit product.
install_windows_packages() {
    install_listed scripts/packages/windows.txt
    runs_32bit_programs || return 0
    # wine32 is an i386 package: the package lists know it only once that architecture is added.
    if ! dpkg --print-foreign-architectures | grep -qx i386; then
        can_act_as_root || { say "wine32 needs the i386 architecture: run dpkg --add-architecture i386 as root"; exit 1; }
        say "adding the i386 architecture for wine32"
        as_root dpkg --add-architecture i386
    fi
    if [ -n "$(missing_packages wine wine32)" ] &&
        ! apt-cache policy wine32:i386 2>/dev/null | grep -q 'Candidate: [0-9]'; then
        can_act_as_root || { say "the package lists know no wine32:i386: run apt-get update as root"; exit 1; }
        as_root env DEBIAN_FRONTEND=noninteractive apt-get update -q
    fi
    install_packages wine wine32
}
