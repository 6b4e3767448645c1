# SPDX-License-Identifier: MIT
# `cpack -G DEB` in the build folder makes a Debian package of what install.cmake installs. Its
# dependencies are read from the program's own shared-library needs by dpkg-shlibdeps (package
# dpkg-dev), so they follow whatever Qt the program was built against. Included from the
# top-level CMakeLists.txt.
if(NOT TARGET corvane OR NOT CMAKE_SYSTEM_NAME STREQUAL "Linux")
    return()
endif()

set(CPACK_PACKAGE_NAME ${CORVANE_EXECUTABLE_NAME})
# All four parts: CPack's default would drop the last.
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Corvane developers")
set(CPACK_PACKAGE_CONTACT "Corvane developers <corvane@corvane.example>")
set(CPACK_PACKAGE_HOMEPAGE_URL ${CORVANE_SITE_URL})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "login window that tells whether a dial-up link is up")
set(CPACK_PACKAGE_DESCRIPTION [=[
Corvane is a small login window: the product's artwork, a user-name box, a
masked password box, and a Login and an Exit button. Its title says whether
the computer's first dial-up (PPP) connection is up, Corvane (Online), or
not, Corvane (Offline).

It remembers the last user name, never the password, and a click on the title
banner opens the product's web site. It runs on X11 and natively on Wayland,
is sharp on high-DPI screens, and names its controls for screen readers.]=])
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
# The program is built with debugging information; the package carries the program alone,
# stripped as Debian's own packages are (cmake/packagestrip.cmake).
if(NOT CMAKE_STRIP)
    message(FATAL_ERROR "The Debian package needs strip (binutils)")
endif()
set(CPACK_CORVANE_STRIP ${CMAKE_STRIP})
set(CPACK_CORVANE_PROGRAM ${CMAKE_INSTALL_BINDIR}/${CORVANE_EXECUTABLE_NAME})
set(CPACK_PRE_BUILD_SCRIPTS ${PROJECT_SOURCE_DIR}/cmake/packagestrip.cmake)

set(CPACK_GENERATOR DEB)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION net)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Control files with the permissions that Debian policy asks for.
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

include(CPack)
