# SPDX-License-Identifier: MIT
# What both mingw-w64 toolchains share; each sets corvaneToolPrefix and includes this.
# The POSIX thread model's compilers, which give the standard library its threads.
set(CMAKE_C_COMPILER ${corvaneToolPrefix}-gcc-posix)
set(CMAKE_CXX_COMPILER ${corvaneToolPrefix}-g++-posix)
set(CMAKE_RC_COMPILER ${corvaneToolPrefix}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${corvaneToolPrefix})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The compiler's runtime (libstdc++, libgcc, winpthread) is linked in, so that the executables
# import only Windows' own DLLs and run on any Windows, and under wine, as single files.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static")
