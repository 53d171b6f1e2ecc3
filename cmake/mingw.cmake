# Shared part of the cross toolchains: Windows PE binaries with mingw-w64.
# The including file sets CMAKE_SYSTEM_PROCESSOR and TOOL_PREFIX.
set(CMAKE_SYSTEM_NAME Windows)
# The win32 flavour: the posix one links a thread library into every file
# that imports functions of Windows XP and Vista.
set(CMAKE_C_COMPILER ${TOOL_PREFIX}-gcc-win32)
set(CMAKE_CXX_COMPILER ${TOOL_PREFIX}-g++-win32)
set(CMAKE_RC_COMPILER ${TOOL_PREFIX}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${TOOL_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
