# Toolchain for 64-bit Windows: the same as cmake/mingw-i686.cmake with the
# x86_64-w64-mingw32 compilers, its "*-x86_64" dependency prefixes and a
# 64-bit Wine prefix. The library's home is the 32-bit DLL; this build runs
# the same sources and tests on machines whose kernel runs no 32-bit programs
# (and so no 32-bit Wine).
set(QUENZEL_MINGW_ARCH x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-i686.cmake)
