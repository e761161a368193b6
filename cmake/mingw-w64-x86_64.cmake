# Cross-builds the 64-bit Windows game on Debian with MinGW-w64 (g++-mingw-w64-x86-64).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

# The posix flavour of the two compilers Debian ships: its C++ library is the complete one.
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)

# Look for libraries and headers in the MinGW tree only, never in the Linux system's.
set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Each .exe carries the C++ runtime inside it, so it runs on any Windows, and under Wine,
# without MinGW's DLLs beside it. The C library (rand included) stays Windows' own.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

# The tests, and the listing of them, run the Windows programs under Wine when it is here.
if(NOT CMAKE_CROSSCOMPILING_EMULATOR)
  find_program(ZANDREL_WINE wine)
  if(ZANDREL_WINE)
    set(CMAKE_CROSSCOMPILING_EMULATOR "${CMAKE_CURRENT_LIST_DIR}/wine-run.sh")
  endif()
endif()
