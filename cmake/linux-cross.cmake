# SPDX-License-Identifier: GPL-3.0-or-later
# Cross-builds for another Linux processor with Debian's cross compilers,
# statically linked so that qemu-user runs the programs without the target's
# libraries. COTALIA_CROSS_TRIPLE names the target (aarch64-linux-gnu,
# s390x-linux-gnu, i686-linux-gnu); scripts/test-processors runs the programs,
# directly where the kernel can and otherwise under qemu-user.
set(COTALIA_CROSS_TRIPLE "" CACHE STRING "Target triple of the cross compilers")
# The compiler checks' own projects need it too.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES COTALIA_CROSS_TRIPLE)
if(NOT COTALIA_CROSS_TRIPLE)
  message(FATAL_ERROR "Set COTALIA_CROSS_TRIPLE, for example -DCOTALIA_CROSS_TRIPLE=aarch64-linux-gnu")
endif()
string(REGEX REPLACE "-.*" "" COTALIA_CROSS_PROCESSOR "${COTALIA_CROSS_TRIPLE}")

set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR ${COTALIA_CROSS_PROCESSOR})
set(CMAKE_C_COMPILER ${COTALIA_CROSS_TRIPLE}-gcc)
set(CMAKE_CXX_COMPILER ${COTALIA_CROSS_TRIPLE}-g++)
set(CMAKE_FIND_ROOT_PATH /usr/${COTALIA_CROSS_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
