# SPDX-License-Identifier: MIT
# The Windows installer: `cmake --build --preset win32 --target msi` writes
# build-win32/Corvane-<version>-x86.msi (win64: -x64.msi) with Debian's wixl, from
# cmake/corvane.wxs.in. It installs the program for every user of the machine into Program Files
# (the 32-bit program into "Program Files (x86)" on 64-bit Windows), with a Start-menu shortcut
# and an entry in Add or Remove Programs.
find_program(CORVANE_WIXL wixl)

if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    set(installerArchitecture x64)
    set(CORVANE_PROGRAM_FILES ProgramFiles64Folder)
    set(CORVANE_INSTALLER_WIN64 yes)
    set(CORVANE_UPGRADE_CODE ${CORVANE_UPGRADE_CODE_X64})
else()
    set(installerArchitecture x86)
    set(CORVANE_PROGRAM_FILES ProgramFilesFolder)
    set(CORVANE_INSTALLER_WIN64 no)
    set(CORVANE_UPGRADE_CODE ${CORVANE_UPGRADE_CODE_X86})
endif()
set(CORVANE_ASSETS_DIR "${PROJECT_SOURCE_DIR}/assets")
# wixl finds the files the source names relative to the source's own folder: the program beside
# it in the build folder, the icon in the source tree.
set(installerSource "${PROJECT_BINARY_DIR}/corvane.wxs")
file(RELATIVE_PATH CORVANE_INSTALLER_ICON ${PROJECT_BINARY_DIR} ${CORVANE_ASSETS_DIR}/corvane.ico)
configure_file(${CMAKE_CURRENT_LIST_DIR}/corvane.wxs.in ${installerSource} @ONLY)

set(installerFile
    "${PROJECT_BINARY_DIR}/${CORVANE_PRODUCT_NAME}-${PROJECT_VERSION}-${installerArchitecture}.msi")
if(CORVANE_WIXL)
    add_custom_command(OUTPUT ${installerFile}
        COMMAND ${CORVANE_WIXL} --arch ${installerArchitecture}
                --define ProductVersion=${PROJECT_VERSION} --output ${installerFile}
                ${installerSource}
        DEPENDS ${installerSource} corvane ${CORVANE_ASSETS_DIR}/corvane.ico
        COMMENT "Building the installer ${installerFile}"
        VERBATIM)
else()
    add_custom_command(OUTPUT ${installerFile}
        COMMAND ${CMAKE_COMMAND} -E echo "wixl was not found: install Debian's package wixl"
        COMMAND ${CMAKE_COMMAND} -E false
        VERBATIM)
endif()
add_custom_target(msi DEPENDS ${installerFile})
