# Cross-building for Linux on another processor with Debian's cross compilers. Included by the
# toolchain file of each target, which sets toolchain_prefix, CMAKE_SYSTEM_PROCESSOR and qemu
# (the qemu-user program that runs the target's binaries) first.
set(CMAKE_SYSTEM_NAME Linux)

set(CMAKE_C_COMPILER ${toolchain_prefix}-gcc)
set(CMAKE_CXX_COMPILER ${toolchain_prefix}-g++)

# Tests and test discovery run the target's programs under qemu-user, with the target's loader
# and libraries taken from the cross tree; no binfmt registration is needed.
set(CMAKE_CROSSCOMPILING_EMULATOR ${qemu} -L /usr/${toolchain_prefix})

# Headers and libraries from the cross tree only; programs (tools run at build time) from the
# build machine.
set(CMAKE_FIND_ROOT_PATH /usr/${toolchain_prefix})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
