# 64-bit Windows with Debian's MinGW-w64 compilers. The -posix flavour: Qt
# needs std::thread and std::mutex, which the -win32 flavour lacks.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(VELMORA_MINGW_TRIPLE x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
# Programs of this build, tests included, run here under 64-bit Wine.
find_program(VELMORA_WINE64 NAMES wine64 PATHS /usr/lib/wine)
if(VELMORA_WINE64)
    set(CMAKE_CROSSCOMPILING_EMULATOR ${VELMORA_WINE64})
endif()
