# SPDX-License-Identifier: MIT
# What `cmake --install` puts where: the program, its manual page, its licence and changelog and,
# where freedesktop.org desktops look for them, its application-menu entry, its icon at every
# size the generator draws and its software-centre entry. Included from the top-level
# CMakeLists.txt.
if(NOT TARGET corvane)
    return()
endif()
include(GNUInstallDirs)
# The program needs the system's libraries only, so the installed copy carries no run path (Qt's
# project set-up would give it $ORIGIN/../lib).
set_target_properties(corvane PROPERTIES INSTALL_RPATH "")
install(TARGETS corvane RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
if(WIN32 OR APPLE)
    return()
endif()

# The menu entry is found by the desktop file name the program gives itself, and it starts the
# executable and shows the icon by the same name, so the three must agree.
set(CORVANE_DESKTOP_FILE ${PROJECT_SOURCE_DIR}/data/${CORVANE_DESKTOP_FILE_NAME}.desktop)
set(CORVANE_METAINFO_FILE ${PROJECT_SOURCE_DIR}/data/${CORVANE_DESKTOP_FILE_NAME}.metainfo.xml)
if(NOT EXISTS ${CORVANE_DESKTOP_FILE} OR NOT EXISTS ${CORVANE_METAINFO_FILE})
    message(FATAL_ERROR "data/ has no desktop entry or metainfo named after the desktop file name "
        "'${CORVANE_DESKTOP_FILE_NAME}'")
endif()
file(STRINGS ${CORVANE_DESKTOP_FILE} corvane_desktop_exec REGEX "^Exec=")
if(NOT corvane_desktop_exec STREQUAL "Exec=${CORVANE_EXECUTABLE_NAME}")
    message(FATAL_ERROR "${CORVANE_DESKTOP_FILE} must start ${CORVANE_EXECUTABLE_NAME}, "
        "not '${corvane_desktop_exec}'")
endif()
# The software centre lists the release of the version being built.
file(STRINGS ${CORVANE_METAINFO_FILE} corvane_metainfo_release
    REGEX "<release version=\"${PROJECT_VERSION}\"")
if(NOT corvane_metainfo_release)
    message(FATAL_ERROR "${CORVANE_METAINFO_FILE} has no release of version ${PROJECT_VERSION}")
endif()

install(FILES ${CORVANE_DESKTOP_FILE} DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${CORVANE_METAINFO_FILE} DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
# The licence, where Debian's packages keep theirs.
install(FILES ${PROJECT_SOURCE_DIR}/LICENSE
    DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/${CORVANE_EXECUTABLE_NAME}
    RENAME copyright)

# The manual page corvane(1) and the changelog, gzipped at build time as Debian's tools do it.
# The changelog goes where Debian keeps that of a package whose version has no Debian revision
# (changelog.gz, not changelog.Debian.gz). Both name the version being built.
set(CORVANE_MANUAL_PAGE ${PROJECT_SOURCE_DIR}/data/${CORVANE_EXECUTABLE_NAME}.1)
set(CORVANE_CHANGELOG ${PROJECT_SOURCE_DIR}/data/changelog)
file(STRINGS ${CORVANE_MANUAL_PAGE} corvane_manual_title
    REGEX "^\\.TH .* \"Corvane ${PROJECT_VERSION}\" ")
if(NOT corvane_manual_title)
    message(FATAL_ERROR "The .TH line of ${CORVANE_MANUAL_PAGE} does not name "
        "Corvane ${PROJECT_VERSION}")
endif()
file(STRINGS ${CORVANE_CHANGELOG} corvane_changelog_top LIMIT_COUNT 1)
if(NOT corvane_changelog_top MATCHES "^${CORVANE_EXECUTABLE_NAME} \\(${PROJECT_VERSION}\\) ")
    message(FATAL_ERROR "${CORVANE_CHANGELOG} does not start with an entry for ${PROJECT_VERSION}")
endif()
set(corvane_documents)
foreach(document IN ITEMS ${CORVANE_MANUAL_PAGE} ${CORVANE_CHANGELOG})
    cmake_path(GET document FILENAME name)
    set(compressed ${PROJECT_BINARY_DIR}/generated/${name}.gz)
    add_custom_command(OUTPUT ${compressed}
        COMMAND ${CMAKE_COMMAND} -DINPUT=${document} -DOUTPUT=${compressed}
            -P ${PROJECT_SOURCE_DIR}/cmake/gzip.cmake
        DEPENDS ${document} ${PROJECT_SOURCE_DIR}/cmake/gzip.cmake
        COMMENT "Compressing ${name}"
        VERBATIM)
    list(APPEND corvane_documents ${compressed})
endforeach()
add_custom_target(corvane_documents ALL DEPENDS ${corvane_documents})
install(FILES ${PROJECT_BINARY_DIR}/generated/${CORVANE_EXECUTABLE_NAME}.1.gz
    DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${PROJECT_BINARY_DIR}/generated/changelog.gz
    DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/${CORVANE_EXECUTABLE_NAME})
# The sides that tools/artgen draws the desktop's icons at.
foreach(side IN ITEMS 16 32 48 64 128)
    install(FILES ${PROJECT_SOURCE_DIR}/assets/icons/corvane-${side}.png
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${side}x${side}/apps
        RENAME ${CORVANE_DESKTOP_FILE_NAME}.png)
endforeach()
