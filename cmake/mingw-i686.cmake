set(MINGW_TRIPLE i686-w64-mingw32)
set(CMAKE_SYSTEM_PROCESSOR i686)
# 32-bit Windows programs run under Wine's 32-bit loader through qemu.
set(WINE_RUNNER ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
