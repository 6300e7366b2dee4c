# Cross toolchain for 64-bit Windows: the same sources built for x86-64, used
# to run the Windows tests under 64-bit Wine on machines that cannot execute
# 32-bit code.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(TOOL_PREFIX x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
