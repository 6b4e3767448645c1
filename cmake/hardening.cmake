# SPDX-License-Identifier: MIT
# The hardening Debian builds its packages with (dpkg-buildflags, hardening=+all): a stack
# protector, fortified libc calls, control-flow protection, a position-independent executable, no
# format string from data, and a read-only relocation table resolved in full at start. The
# interface library corvane_hardening carries the flags; included once from the top-level
# CMakeLists.txt, which passes it on with the warnings to every target of the project's own.
#
# GCC and Clang on Linux only: the mingw-w64 build for Windows gets none of it.
option(CORVANE_HARDENING "Build with Debian's hardening flags (GCC or Clang on Linux)" ON)
# Off only to measure what immediate binding costs at start (bench/startup.sh --also).
option(CORVANE_BIND_NOW "Resolve every dynamic symbol at start (-z now) in a hardened build" ON)

add_library(corvane_hardening INTERFACE)
if(NOT CORVANE_HARDENING OR NOT CMAKE_SYSTEM_NAME STREQUAL "Linux"
        OR NOT CMAKE_CXX_COMPILER_ID MATCHES "^(GNU|Clang)$")
    return()
endif()

include(CheckCXXCompilerFlag)
include(CheckPIESupported)

target_compile_options(corvane_hardening INTERFACE
    -fstack-protector-strong -Wformat -Werror=format-security)
# Intel's CET: x86 only, where the compilers know the flag at all.
check_cxx_compiler_flag(-fcf-protection CORVANE_HAVE_CF_PROTECTION)
if(CORVANE_HAVE_CF_PROTECTION)
    target_compile_options(corvane_hardening INTERFACE -fcf-protection)
endif()
# Fortified libc calls. Level 3 checks sizes known only at run time too (GCC 12, Clang 9 and
# glibc 2.34 on): level 2 finds nothing to check at run time in this program, since every size
# it can see is proven at compile time. Older compilers take level 2, as glibc would warn. Any
# level the compiler sets itself is dropped first, as redefining it warns too. The fortified
# calls need the optimiser, and glibc warns without it: not in Debug. A sanitizer build turns
# CORVANE_HARDENING off, since fortified calls bypass the sanitizers' checks of the same calls.
if((CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_GREATER_EQUAL 12)
        OR (CMAKE_CXX_COMPILER_ID STREQUAL "Clang"
            AND CMAKE_CXX_COMPILER_VERSION VERSION_GREATER_EQUAL 9))
    set(fortifyLevel 3)
else()
    set(fortifyLevel 2)
endif()
set(optimised $<CONFIG:Release,RelWithDebInfo,MinSizeRel>)
target_compile_options(corvane_hardening INTERFACE
    "$<${optimised}:-U_FORTIFY_SOURCE;-D_FORTIFY_SOURCE=${fortifyLevel}>")

# Position-independent code in every target that takes this library, and executables linked with
# -pie (check_pie_supported makes CMake pass it).
check_pie_supported(LANGUAGES CXX)
set_target_properties(corvane_hardening PROPERTIES INTERFACE_POSITION_INDEPENDENT_CODE ON)

target_link_options(corvane_hardening INTERFACE
    LINKER:-z,relro
    $<$<BOOL:${CORVANE_BIND_NOW}>:LINKER:-z,now>)
