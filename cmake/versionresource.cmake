# SPDX-License-Identifier: MIT
# The Windows executable's version record and icon, made from the identity that the project
# definition sets. Defines corvane_version_resource: an executable that links it carries both.
enable_language(RC)

# The language block names the Translation pair: language 0409, code page 04B0 (1200, UTF-16).
string(SUBSTRING "${CORVANE_VERSION_LANGUAGE_BLOCK}" 0 4 CORVANE_VERSION_LANGUAGE_ID)
string(SUBSTRING "${CORVANE_VERSION_LANGUAGE_BLOCK}" 4 4 CORVANE_VERSION_CODE_PAGE)
set(CORVANE_ICON_FILE "${PROJECT_SOURCE_DIR}/assets/corvane.ico")

set(versionResource "${PROJECT_BINARY_DIR}/generated/version.rc")
configure_file(${CMAKE_CURRENT_LIST_DIR}/version.rc.in ${versionResource} @ONLY)
set_source_files_properties(${versionResource} PROPERTIES OBJECT_DEPENDS ${CORVANE_ICON_FILE})
# windres runs the C preprocessor over the script; its warnings are errors, as the compiler's are.
# (CMake hands windres a source's own options, not its target's.)
if(MINGW)
    set_source_files_properties(${versionResource} PROPERTIES COMPILE_OPTIONS
        "--preprocessor-arg=-Wall;--preprocessor-arg=-Wextra;--preprocessor-arg=-Wpedantic;--preprocessor-arg=-Werror")
endif()
add_library(corvane_version_resource OBJECT ${versionResource})
