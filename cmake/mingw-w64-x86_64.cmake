# Cross build for 64-bit Windows with Debian's mingw-w64 compilers (package
# g++-mingw-w64-x86-64-posix), for machines whose kernel runs no 32-bit x86 code, where wine
# can run only 64-bit programs. The program itself is meant as the 32-bit build.
set(ZELKOV_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-i686.cmake)
