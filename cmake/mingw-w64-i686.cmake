# Cross build for 32-bit Windows with Debian's mingw-w64 compilers (package
# g++-mingw-w64-i686-posix). The -posix thread model, because the default one lacks
# std::mutex in GCC 12. Usage: cmake -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-i686.cmake ...
set(CMAKE_SYSTEM_NAME Windows)
if(NOT ZELKOV_MINGW_TRIPLE)
  set(CMAKE_SYSTEM_PROCESSOR i686)
  set(ZELKOV_MINGW_TRIPLE i686-w64-mingw32)
endif()
set(CMAKE_C_COMPILER ${ZELKOV_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${ZELKOV_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${ZELKOV_MINGW_TRIPLE}-windres)

# Headers and libraries of the target only; programs of the build machine.
set(CMAKE_FIND_ROOT_PATH /usr/${ZELKOV_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# One self-contained zelkov.exe: no MinGW runtime DLLs to ship beside it.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
