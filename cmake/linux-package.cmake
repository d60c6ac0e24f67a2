# SPDX-License-Identifier: GPL-3.0-or-later
# What `cmake --install` puts on a Linux system, and the .deb that `cpack`
# makes of it: the program, its desktop entry, icon, AppStream metadata,
# manual page, changelog and copyright file, laid out as Debian expects them.
include(GNUInstallDirs)
set(COTALIA_APP_ID example.cotalia.Cotalia)
set(COTALIA_DOC_DIR ${CMAKE_INSTALL_DATADIR}/doc/cotalia)

# The manual page and the metainfo name the version (cmake/version.cmake).
configure_file(resources/cotalia.1.in ${CMAKE_CURRENT_BINARY_DIR}/cotalia.1 @ONLY)
configure_file(resources/${COTALIA_APP_ID}.metainfo.xml.in ${CMAKE_CURRENT_BINARY_DIR}/${COTALIA_APP_ID}.metainfo.xml
               @ONLY)

# Compressed without a name or a time in the header, so that the same source
# gives the same bytes.
set(COTALIA_COMPRESSED)
foreach(document ${CMAKE_CURRENT_BINARY_DIR}/cotalia.1 ${PROJECT_SOURCE_DIR}/resources/changelog)
  cmake_path(GET document FILENAME name)
  set(compressed ${CMAKE_CURRENT_BINARY_DIR}/${name}.gz)
  add_custom_command(
    OUTPUT ${compressed}
    COMMAND gzip -9 -n -c ${document} > ${compressed}
    DEPENDS ${document}
    VERBATIM)
  list(APPEND COTALIA_COMPRESSED ${compressed})
endforeach()
add_custom_target(cotalia_documents ALL DEPENDS ${COTALIA_COMPRESSED})

install(TARGETS cotalia RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES resources/${COTALIA_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/${COTALIA_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES resources/cotalia.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/cotalia.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/changelog.gz resources/copyright DESTINATION ${COTALIA_DOC_DIR})

# Reproducible packages: every time inside the .deb is clamped to
# SOURCE_DATE_EPOCH, taken from the last commit when the caller gives none.
if(DEFINED ENV{SOURCE_DATE_EPOCH})
  set(COTALIA_SOURCE_DATE_EPOCH $ENV{SOURCE_DATE_EPOCH})
else()
  find_package(Git QUIET)
  if(Git_FOUND)
    execute_process(COMMAND ${GIT_EXECUTABLE} log -1 --format=%ct
                    WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
                    OUTPUT_VARIABLE COTALIA_SOURCE_DATE_EPOCH
                    OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
  endif()
endif()
configure_file(${PROJECT_SOURCE_DIR}/cmake/cpack-project-config.cmake.in
               ${CMAKE_CURRENT_BINARY_DIR}/cpack-project-config.cmake @ONLY)
set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_CURRENT_BINARY_DIR}/cpack-project-config.cmake)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME cotalia)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Cotalia developers <dev@cotalia.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "share price calculator under the lognormal price model")
set(CPACK_PACKAGE_DESCRIPTION
    "Cotalia computes what the lognormal price model, in which a share price
follows a geometric Brownian motion, says about the price of a share at a
horizon. From the current price, the expected return and the volatility in
percent per year and a horizon in months, it gives the mean and the standard
deviation of the log price, the 95% price band, the expected price and the
standard deviation of the price, each to 15 significant digits and the same
on every computer. The window is in Spanish.")
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://www.cotalia.example/")
set(CPACK_DEBIAN_PACKAGE_SECTION math)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Qt's own dialogs in Spanish (or the user's language), beside the libraries.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-translations-l10n")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_CHECKSUM SHA256)
include(CPack)
