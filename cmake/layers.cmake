# SPDX-License-Identifier: GPL-3.0-or-later
# One library per folder, and the links between them are the layers. Sources
# include a header by its path from the top of the tree
# ("model/runtime/number_text.h"), but the top of the tree is on no include
# path: each library has an include folder of its own in the build tree,
# which holds a forwarding header for each of its public headers and which
# only the targets that link to the library see. A file that includes a
# header of a library its own does not link to does not compile, nor does
# one outside a library that includes one of its internal headers.

# cotalia_add_library(NAME [SOURCES file...] [HEADERS header...]
#                     [INTERNAL header...] [LINKS library...])
# SOURCES, HEADERS and INTERNAL are paths from the calling folder. HEADERS
# are what the library offers the libraries above it; INTERNAL are its own
# and its tests' (cotalia_internals_of). A library without sources is a
# header-only interface library.
function(cotalia_add_library name)
  cmake_parse_arguments(PARSE_ARGV 1 LIB "" "" "SOURCES;HEADERS;INTERNAL;LINKS")
  list(TRANSFORM LIB_SOURCES PREPEND ${CMAKE_CURRENT_SOURCE_DIR}/)
  set(public_root ${PROJECT_BINARY_DIR}/include/${name})
  set(internal_root ${PROJECT_BINARY_DIR}/include/${name}-internal)
  cotalia_forward_headers(${public_root} ${LIB_HEADERS})
  cotalia_forward_headers(${internal_root} ${LIB_INTERNAL})
  if(LIB_SOURCES)
    add_library(${name} STATIC ${LIB_SOURCES})
    target_include_directories(${name} PUBLIC ${public_root} PRIVATE ${internal_root})
    target_link_libraries(${name} PUBLIC ${LIB_LINKS})
  else()
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE ${public_root})
    target_link_libraries(${name} INTERFACE ${LIB_LINKS})
  endif()
endfunction()

# The internal headers of a library, for the target that tests them.
function(cotalia_internals_of target library)
  target_include_directories(${target} PRIVATE ${PROJECT_BINARY_DIR}/include/${library}-internal)
endfunction()

# For every header given (a path from the calling folder), a header at its
# path from the top of the tree under ROOT that includes the source's own
# file: edits to the source need no new configure.
function(cotalia_forward_headers root)
  foreach(header ${ARGN})
    cmake_path(ABSOLUTE_PATH header BASE_DIRECTORY ${CMAKE_CURRENT_SOURCE_DIR} NORMALIZE OUTPUT_VARIABLE source)
    if(NOT EXISTS ${source})
      message(FATAL_ERROR "${source}: no such header")
    endif()
    cmake_path(RELATIVE_PATH source BASE_DIRECTORY ${PROJECT_SOURCE_DIR} OUTPUT_VARIABLE path)
    file(CONFIGURE OUTPUT ${root}/${path} CONTENT "#pragma once\n#include \"${source}\"\n" @ONLY)
  endforeach()
endfunction()
