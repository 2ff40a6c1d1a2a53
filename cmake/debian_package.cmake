# The Debian package, made by CPack from the install rules: `cpack -G DEB` in the build folder
# (tools/make-package.sh does it all). The library dependencies come from dpkg-shlibdeps, which
# reads the executables; the copyright file is made from LICENSE.
set(QZ7_DEBIAN_PACKAGE_NAME qz7-launch-manager)

# LICENSE as a machine-readable Debian copyright file: its copyright line and its text.
file(STRINGS ${PROJECT_SOURCE_DIR}/LICENSE license_lines)
list(GET license_lines 0 license_name)
set(copyright_holder "")
set(license_text "")
foreach(line IN LISTS license_lines)
  if(line MATCHES "^Copyright \\(c\\) (.+)$")
    set(copyright_holder "${CMAKE_MATCH_1}")
  elseif(copyright_holder AND line STREQUAL "")
    string(APPEND license_text " .\n")
  elseif(copyright_holder)
    string(APPEND license_text " ${line}\n")
  endif()
endforeach()
if(NOT license_name STREQUAL "MIT License" OR NOT copyright_holder)
  message(FATAL_ERROR "LICENSE does not start with \"MIT License\" and a copyright line")
endif()
string(REGEX REPLACE "^ \\.\n" "" license_text "${license_text}")
file(WRITE ${CMAKE_CURRENT_BINARY_DIR}/debian/copyright
  "Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/\n"
  "Upstream-Name: ${QZ7_DEBIAN_PACKAGE_NAME}\n"
  "\n"
  "Files: *\n"
  "Copyright: ${copyright_holder}\n"
  "License: Expat\n"
  "${license_text}")
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/debian/copyright
  DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/${QZ7_DEBIAN_PACKAGE_NAME})

# The changelog, compressed as Debian keeps it; its latest entry is this version's.
set(QZ7_DEBIAN_CHANGELOG ${PROJECT_SOURCE_DIR}/resources/linux/changelog)
file(STRINGS ${QZ7_DEBIAN_CHANGELOG} changelog_top LIMIT_COUNT 1)
if(NOT changelog_top MATCHES "^${QZ7_DEBIAN_PACKAGE_NAME} \\(${QZ7_FILE_VERSION}\\) ")
  message(FATAL_ERROR "resources/linux/changelog has no entry for ${QZ7_FILE_VERSION} at its top")
endif()
qz7_install_compressed(qz7_debian_changelog ${QZ7_DEBIAN_CHANGELOG}
  ${CMAKE_INSTALL_DATADIR}/doc/${QZ7_DEBIAN_PACKAGE_NAME})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME ${QZ7_DEBIAN_PACKAGE_NAME})
set(CPACK_PACKAGE_VERSION ${QZ7_FILE_VERSION})
set(CPACK_PACKAGE_VENDOR "The QZ7 launch manager developers")
set(CPACK_PACKAGE_CONTACT "The QZ7 launch manager developers <qz7@example.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
  "launch manager for a Steel Horizon dedicated server (Russian)")
# Lines of at most 80 characters: Debian shows the description as written.
string(CONCAT CPACK_PACKAGE_DESCRIPTION
  "Edits the game settings and the map rotation of a Steel Horizon dedicated\n"
  "server, keeps named templates beside the game, writes the server's\n"
  "configuration files, starts the server and client launchers and forwards the\n"
  "server's router ports by UPnP. qz7manager is the desktop program (in\n"
  "Russian), qz7ctl its command-line front end for hosts without a desktop.")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# A tool for hosting a game's server, not a game.
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Alerts load libcurl4 when they first send, so dpkg-shlibdeps does not see it; https alerts also
# need the certificate authorities, which libcurl4 only recommends. Service entries use systemd.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libcurl4, ca-certificates")
# Fonts with Russian letters for the windows; the game's launchers are Windows programs.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-dejavu-core")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "wine, systemd")
