# SPDX-License-Identifier: GPL-3.0-or-later
# What the Windows user gets: Cotalia.exe with its licence and a short README,
# as an installer (`cpack -G NSIS`, in Spanish, with a Start-menu shortcut and
# an uninstaller in Apps & features) or as a portable zip (`cpack -G ZIP`).
install(TARGETS cotalia RUNTIME DESTINATION .)
install(FILES LICENSE DESTINATION . RENAME LICENSE.txt)
install(FILES resources/windows/README.txt DESTINATION .)

set(CPACK_GENERATOR NSIS ZIP)
set(CPACK_PACKAGE_NAME Cotalia)
set(CPACK_PACKAGE_VENDOR "Cotalia developers")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
# The installer's version record takes numbers (cmake/version.cmake).
list(GET COTALIA_VERSION_NUMBERS 0 CPACK_PACKAGE_VERSION_MAJOR)
list(GET COTALIA_VERSION_NUMBERS 1 CPACK_PACKAGE_VERSION_MINOR)
list(GET COTALIA_VERSION_NUMBERS 2 CPACK_PACKAGE_VERSION_PATCH)
set(CPACK_PACKAGE_INSTALL_DIRECTORY Cotalia)
set(CPACK_PACKAGE_FILE_NAME Cotalia-${PROJECT_VERSION}-win64)
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
set(CPACK_NSIS_MUI_ICON ${CMAKE_BINARY_DIR}/window/win32/cotalia.ico)
set(CPACK_NSIS_MUI_UNIICON ${CMAKE_BINARY_DIR}/window/win32/cotalia.ico)
# The installer script is the project's own (cmake/nsis/NSIS.template.in).
set(CPACK_MODULE_PATH ${PROJECT_SOURCE_DIR}/cmake/nsis)
set(CPACK_PACKAGE_CHECKSUM SHA256)
include(CPack)
