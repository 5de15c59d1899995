# Cross-compiles for 64-bit Windows with Debian's MinGW-w64 (packages g++-mingw-w64-x86-64-posix
# and mingw-w64-x86-64-dev), and runs the built programs under Wine (package wine64).
#
# The posix thread model gives std::thread and std::mutex. Programs are linked statically, so
# that they run on a Windows machine, and under Wine, without the MinGW runtime DLLs; keyloom.exe
# finds those that Qt's DLLs load beside it (cmake/KeyloomWindowsRuntime.cmake).

set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(keyloom_mingw_triple x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${keyloom_mingw_triple}-gcc-posix)
set(CMAKE_CXX_COMPILER ${keyloom_mingw_triple}-g++-posix)
set(CMAKE_RC_COMPILER ${keyloom_mingw_triple}-windres)

# Libraries and headers of the target come from the MinGW tree only; the build's tools from the
# host. KeyloomCrossDependencies provides what Debian ships no MinGW build of.
set(CMAKE_FIND_ROOT_PATH /usr/${keyloom_mingw_triple})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# Tests and test discovery run the programs under Wine, with Wine's prefix in the build folder
# (so that nothing depends on a home folder) and without Wine's own diagnostics on stderr.
if(NOT CMAKE_CROSSCOMPILING_EMULATOR)
  find_program(KEYLOOM_WINE NAMES wine wine64 wine-stable PATHS /usr/lib/wine
    DOC "Wine, which runs the Windows programs of the build")
  if(KEYLOOM_WINE)
    set(CMAKE_CROSSCOMPILING_EMULATOR
      ${CMAKE_COMMAND} -E env WINEPREFIX=${CMAKE_BINARY_DIR}/wine WINEDEBUG=-all ${KEYLOOM_WINE})
  endif()
endif()

# Qt for the GUI: Debian ships no MinGW build of it, tools/build-qt-mingw.sh builds one into a
# cache folder outside the checkout ($KEYLOOM_QT_MINGW_DIR, else under ~/.cache/keyloom), which
# is searched like the MinGW tree. Its build tools (moc, rcc, uic) are the host's, of the same
# version.
if(NOT KEYLOOM_QT_MINGW_DIR)
  execute_process(
    COMMAND ${CMAKE_CURRENT_LIST_DIR}/../../tools/build-qt-mingw.sh --print
    OUTPUT_VARIABLE KEYLOOM_QT_MINGW_DIR
    OUTPUT_STRIP_TRAILING_WHITESPACE
    ERROR_QUIET)
endif()
if(KEYLOOM_QT_MINGW_DIR)
  list(APPEND CMAKE_FIND_ROOT_PATH ${KEYLOOM_QT_MINGW_DIR})
  set(QT_HOST_PATH /usr)
  set(QT_HOST_PATH_CMAKE_DIR /usr/lib/x86_64-linux-gnu/cmake)
endif()
