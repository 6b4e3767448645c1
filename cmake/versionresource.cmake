# SPDX-License-Identifier: MIT
# The Windows program's resources, made from the identity that the project definition sets: the
# version record, the icon group, the artwork, the hand cursor and the manifest. Defines
# corvane_resources: the program links it.
enable_language(RC)

# The language block names the Translation pair: language 0409, code page 04B0 (1200, UTF-16).
string(SUBSTRING "${CORVANE_VERSION_LANGUAGE_BLOCK}" 0 4 CORVANE_VERSION_LANGUAGE_ID)
string(SUBSTRING "${CORVANE_VERSION_LANGUAGE_BLOCK}" 4 4 CORVANE_VERSION_CODE_PAGE)
set(CORVANE_ASSETS_DIR "${PROJECT_SOURCE_DIR}/assets")
set(CORVANE_MANIFEST_FILE "${PROJECT_SOURCE_DIR}/src/win32/corvane.manifest")

set(resourceScript "${PROJECT_BINARY_DIR}/generated/corvane.rc")
configure_file(${CMAKE_CURRENT_LIST_DIR}/version.rc.in ${resourceScript} @ONLY)
# windres does not report the files the script names, so they are listed here for rebuilds.
set(resourceFiles
    ${CORVANE_ASSETS_DIR}/corvane.ico
    ${CORVANE_ASSETS_DIR}/background.bmp
    ${CORVANE_ASSETS_DIR}/banner.bmp
    ${CORVANE_ASSETS_DIR}/hand.cur
    ${CORVANE_MANIFEST_FILE}
    ${PROJECT_SOURCE_DIR}/src/win32/resources.h)
set_source_files_properties(${resourceScript} PROPERTIES OBJECT_DEPENDS "${resourceFiles}")
# windres runs the C preprocessor over the script; its warnings are errors, as the compiler's are.
# (CMake hands windres a source's own options, not its target's.)
if(MINGW)
    set_source_files_properties(${resourceScript} PROPERTIES COMPILE_OPTIONS
        "--preprocessor-arg=-Wall;--preprocessor-arg=-Wextra;--preprocessor-arg=-Wpedantic;--preprocessor-arg=-Werror")
endif()
add_library(corvane_resources OBJECT ${resourceScript})
target_include_directories(corvane_resources PRIVATE ${PROJECT_SOURCE_DIR}/src)
