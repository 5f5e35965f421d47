# Cross-building for 64-bit Windows with Debian's MinGW-w64 (POSIX threads).
# VESTRAN_WINDOWS_PREFIX names the folder holding the cross-built libraries.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(_triple x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${_triple}-gcc-posix)
set(CMAKE_CXX_COMPILER ${_triple}-g++-posix)
set(CMAKE_RC_COMPILER ${_triple}-windres)
set(CMAKE_AR ${_triple}-gcc-ar-posix CACHE FILEPATH "")
set(CMAKE_RANLIB ${_triple}-gcc-ranlib-posix CACHE FILEPATH "")

if(NOT VESTRAN_WINDOWS_PREFIX AND DEFINED ENV{VESTRAN_WINDOWS_PREFIX})
  set(VESTRAN_WINDOWS_PREFIX "$ENV{VESTRAN_WINDOWS_PREFIX}")
endif()
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES VESTRAN_WINDOWS_PREFIX)

set(CMAKE_FIND_ROOT_PATH /usr/${_triple} ${VESTRAN_WINDOWS_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Test programs run under Wine, through a script that runs once more a program Wine
# failed to start.
find_program(VESTRAN_WINE NAMES wine64 wine PATHS /usr/lib/wine NO_CMAKE_FIND_ROOT_PATH)
if(VESTRAN_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR
      ${CMAKE_CURRENT_LIST_DIR}/../scripts/windows/wine-prueba.sh ${VESTRAN_WINE})
endif()
