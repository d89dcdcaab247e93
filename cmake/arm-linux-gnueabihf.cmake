# 32-bit ARM Linux with hardware floating point, as Raspberry Pi OS armhf (packages
# g++-arm-linux-gnueabihf, qemu-user).
set(CMAKE_SYSTEM_PROCESSOR arm)
set(toolchain_prefix arm-linux-gnueabihf)
set(qemu qemu-arm)
include(${CMAKE_CURRENT_LIST_DIR}/linux-cross.cmake)
