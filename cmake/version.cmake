# SPDX-License-Identifier: GPL-3.0-or-later
# The version, written once in the project() line, as each place shows it:
# as text ("1.00") in the program, the packages, the metainfo and the manual
# page, and as the four numbers of Windows' version records (1.0.0.0, whose
# second is the text's "00" read as a number).
math(EXPR COTALIA_VERSION_MINOR_NUMBER "${PROJECT_VERSION_MINOR}")
set(COTALIA_VERSION_NUMBERS ${PROJECT_VERSION_MAJOR} ${COTALIA_VERSION_MINOR_NUMBER} 0 0)
list(JOIN COTALIA_VERSION_NUMBERS "." COTALIA_VERSION_DOTTED)
list(JOIN COTALIA_VERSION_NUMBERS ", " COTALIA_VERSION_COMMAS)

# The program's version, for the libraries that link to cotalia_version;
# made at configure time, so that a build without a new version rewrites
# nothing.
set(COTALIA_VERSION_INCLUDE ${PROJECT_BINARY_DIR}/include/cotalia_version)
file(CONFIGURE OUTPUT ${COTALIA_VERSION_INCLUDE}/cotalia_version.h @ONLY CONTENT
"// SPDX-License-Identifier: GPL-3.0-or-later
// Made by CMake from the project's version (cmake/version.cmake).
#pragma once

#include <string_view>

namespace cotalia {

inline constexpr std::string_view kVersion = \"@PROJECT_VERSION@\";

}  // namespace cotalia
")
# And for the Windows resource compiler, which reads only the preprocessor's
# definitions.
file(CONFIGURE OUTPUT ${COTALIA_VERSION_INCLUDE}/cotalia_version.rc.h @ONLY CONTENT
"// SPDX-License-Identifier: GPL-3.0-or-later
// Made by CMake from the project's version (cmake/version.cmake).
#define COTALIA_VERSION_TEXT \"@PROJECT_VERSION@\"
#define COTALIA_VERSION_NUMBERS @COTALIA_VERSION_COMMAS@
")
add_library(cotalia_version INTERFACE)
target_include_directories(cotalia_version INTERFACE ${COTALIA_VERSION_INCLUDE})
