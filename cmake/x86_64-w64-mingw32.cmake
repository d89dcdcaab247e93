# 64-bit Windows (package g++-mingw-w64-x86-64): the same sources, for running the Windows
# tests under 64-bit Wine on hosts that cannot run 32-bit programs.
set(CMAKE_SYSTEM_PROCESSOR AMD64)
set(toolchain_prefix x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
