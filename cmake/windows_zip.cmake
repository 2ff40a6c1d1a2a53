# The Windows zip a host unpacks into the game folder: qz7manager.exe and qz7ctl.exe with the Qt
# DLLs, the windows platform plugin, the native style plugin and the compiler's runtime DLLs
# beside them, a short README in Russian, and the license texts of Qt and of the MinGW-w64 runtime.
# Every program and DLL in it is stripped (see the end).
#   cmake --build build-windows --target package    ->  build-windows/qz7-<version>-win64.zip
# Included by the top CMakeLists.txt for the Windows build with the windows only; the programs
# themselves install from app/ and cli/ (their folder is the top of the zip on Windows).

install(FILES $<TARGET_FILE:Qt6::Core> $<TARGET_FILE:Qt6::Gui> $<TARGET_FILE:Qt6::Widgets>
              ${QZ7_WINDOWS_RUNTIME_DLLS}
        DESTINATION .)
install(FILES $<TARGET_FILE:Qt6::QWindowsIntegrationPlugin> DESTINATION platforms)
install(FILES $<TARGET_FILE:${QZ7_QT_STYLE_PLUGIN}> DESTINATION styles)

configure_file(${PROJECT_SOURCE_DIR}/resources/windows/README.txt.in
               ${CMAKE_CURRENT_BINARY_DIR}/README.txt @ONLY NEWLINE_STYLE CRLF)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/README.txt DESTINATION .)
install(FILES ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION . RENAME LICENSE.txt)

# Qt's own license texts and those of the libraries bundled into it; build-qt.sh put them
# beside the installed Qt.
install(DIRECTORY ${QT6_INSTALL_PREFIX}/licenses/ DESTINATION licenses/qt)
# libgcc and libstdc++: GPL 3 with the GCC Runtime Library Exception; winpthreads: MIT-style,
# in the mingw-w64 notice.
install(FILES /usr/share/doc/gcc-mingw-w64-base/copyright
        DESTINATION licenses/mingw-w64-runtime RENAME gcc-runtime-copyright.txt)
install(FILES /usr/share/common-licenses/GPL-3
        DESTINATION licenses/mingw-w64-runtime RENAME GPL-3.txt)
install(FILES /usr/share/doc/mingw-w64-x86-64-dev/copyright
        DESTINATION licenses/mingw-w64-runtime RENAME mingw-w64-copyright.txt)

# Hosts download the zip: the programs and DLLs go into it without their debug information and
# symbol tables, two thirds of their size. The strip works on the copies this install wrote (its
# manifest so far, which names them without DESTDIR), never on anything else in the folder; the
# build folder and our Qt cache keep their files for debugging. Stays the last install rule.
if(NOT CMAKE_STRIP MATCHES "mingw32-strip$")
  message(FATAL_ERROR "CMAKE_STRIP is ${CMAKE_STRIP}, not the mingw-w64 strip of the toolchain")
endif()
string(CONFIGURE [[
  foreach(file IN LISTS CMAKE_INSTALL_MANIFEST_FILES)
    if(file MATCHES "\\.(exe|dll)$")
      execute_process(COMMAND "@CMAKE_STRIP@" --strip-all "$ENV{DESTDIR}${file}"
        COMMAND_ERROR_IS_FATAL ANY)
    endif()
  endforeach()
]] strip_installed_programs @ONLY)
install(CODE "${strip_installed_programs}")

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME qz7)
set(CPACK_PACKAGE_VERSION ${QZ7_FILE_VERSION})
set(CPACK_PACKAGE_FILE_NAME "qz7-${QZ7_FILE_VERSION}-win64")
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR})
