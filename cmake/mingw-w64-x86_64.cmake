# SPDX-License-Identifier: GPL-3.0-or-later
# Cross-builds the Windows executable with mingw-w64. Debian names the
# compilers with the POSIX threading model (which the C++ threading library
# and GoogleTest need) with a -posix suffix; MinGW on Windows names them
# without one.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
find_program(COTALIA_MINGW_GCC NAMES x86_64-w64-mingw32-gcc-posix x86_64-w64-mingw32-gcc gcc REQUIRED)
find_program(COTALIA_MINGW_GXX NAMES x86_64-w64-mingw32-g++-posix x86_64-w64-mingw32-g++ g++ REQUIRED)
find_program(COTALIA_MINGW_WINDRES NAMES x86_64-w64-mingw32-windres windres REQUIRED)
set(CMAKE_C_COMPILER ${COTALIA_MINGW_GCC})
set(CMAKE_CXX_COMPILER ${COTALIA_MINGW_GXX})
set(CMAKE_RC_COMPILER ${COTALIA_MINGW_WINDRES})
if(EXISTS /usr/x86_64-w64-mingw32)
  set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
  set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
  set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
  set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
endif()
# One file that needs nothing but Windows: the C++, GCC and thread runtimes
# are linked in.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
