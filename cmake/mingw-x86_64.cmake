# Cross toolchain for the x64 test build: the same sources, run under 64-bit
# Wine on machines that cannot run 32-bit programs. Nothing of it ships.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(TOOL_PREFIX x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
