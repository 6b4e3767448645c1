# SPDX-License-Identifier: MIT
# Run by CPack (CPACK_PRE_BUILD_SCRIPTS) on the files it has installed for the package, before it
# packs them: the program is stripped as Debian's dh_strip strips, of the symbols not needed to
# relocate it and of the compiler's notes (.comment, .note), which nothing reads at run time. The
# build's own program keeps its debugging information. package.cmake sets the CPACK_CORVANE_
# variables.
set(staged ${CPACK_TEMPORARY_INSTALL_DIRECTORY}${CPACK_PACKAGING_INSTALL_PREFIX})
set(program ${staged}/${CPACK_CORVANE_PROGRAM})
if(NOT EXISTS ${program})
    message(FATAL_ERROR "The package has no program to strip at ${program}")
endif()
execute_process(COMMAND ${CPACK_CORVANE_STRIP}
        --remove-section=.comment --remove-section=.note --strip-unneeded ${program}
    COMMAND_ERROR_IS_FATAL ANY)
