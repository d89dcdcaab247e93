# 64-bit ARM Linux, as Raspberry Pi OS arm64 (packages g++-aarch64-linux-gnu, qemu-user).
set(CMAKE_SYSTEM_PROCESSOR aarch64)
set(toolchain_prefix aarch64-linux-gnu)
set(qemu qemu-aarch64)
include(${CMAKE_CURRENT_LIST_DIR}/linux-cross.cmake)
