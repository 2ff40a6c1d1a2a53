# Cross build for 64-bit Windows with Debian's mingw-w64 (posix thread model).
# Tests run through wine (see tools/windows/wine-run.sh).
#
# WINDOWS_THIRD_PARTY_PREFIX names the folder where tools/windows/build-third-party.sh installed
# libjpeg, miniupnpc and GoogleTest; it defaults to <build folder>/third-party/prefix.
# WINDOWS_QT_PREFIX names the Qt that tools/windows/build-qt.sh built for Windows; without it
# no Qt is found (the build of Qt itself uses this file too, without it).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${MINGW_TRIPLE}-windres)
# The tool chain's own strip, for PE files: the Windows zip strips its programs and DLLs with it
# (cmake/windows_zip.cmake).
set(CMAKE_STRIP /usr/bin/${MINGW_TRIPLE}-strip)

if(NOT DEFINED WINDOWS_THIRD_PARTY_PREFIX)
    set(WINDOWS_THIRD_PARTY_PREFIX "${CMAKE_BINARY_DIR}/third-party/prefix")
endif()
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES WINDOWS_THIRD_PARTY_PREFIX WINDOWS_QT_PREFIX)

set(CMAKE_FIND_ROOT_PATH /usr/${MINGW_TRIPLE} "${WINDOWS_THIRD_PARTY_PREFIX}")
if(WINDOWS_QT_PREFIX)
    list(APPEND CMAKE_FIND_ROOT_PATH "${WINDOWS_QT_PREFIX}")
endif()
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Test discovery runs the test programs, so it waits for ctest, which runs inside the isolated
# network namespace, instead of running wine at build time.
set(CMAKE_GTEST_DISCOVER_TESTS_DISCOVERY_MODE PRE_TEST)

# ctest runs every test program through wine, in the wine prefix named by WINEPREFIX
# (tools/windows/run-tests.sh sets it to <build folder>/wine-prefix).
set(CMAKE_CROSSCOMPILING_EMULATOR "${CMAKE_CURRENT_LIST_DIR}/../tools/windows/wine-run.sh")
