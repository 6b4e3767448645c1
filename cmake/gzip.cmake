# SPDX-License-Identifier: MIT
# cmake -DINPUT=<file> -DOUTPUT=<file.gz> -P cmake/gzip.cmake, at build time: compresses a
# document as Debian's tools do (gzip -9n: the best compression, and neither the file's name nor
# its time in the header, so that the same source always gives the same bytes). Written beside
# the target first, so that a failed run leaves no half file that looks up to date.
find_program(CORVANE_GZIP gzip REQUIRED)
execute_process(COMMAND ${CORVANE_GZIP} -9n -c ${INPUT}
    OUTPUT_FILE ${OUTPUT}.part
    COMMAND_ERROR_IS_FATAL ANY)
file(RENAME ${OUTPUT}.part ${OUTPUT})
