# Cross-building for 64-bit Windows with Debian's mingw-w64 (posix threads, for std::thread):
#   cmake -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake -DCMAKE_PREFIX_PATH=<Qt for Windows>
# Test programs run through Wine.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(POINTORA_MINGW_TRIPLET x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${POINTORA_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${POINTORA_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${POINTORA_MINGW_TRIPLET}-windres)

# Libraries and headers of the target only; programs (moc, rcc) of the build machine.
set(CMAKE_FIND_ROOT_PATH /usr/${POINTORA_MINGW_TRIPLET} ${CMAKE_PREFIX_PATH})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE BOTH)

# Through Wine, with Qt Test's log brought back to ctest.
find_program(POINTORA_WINE NAMES wine wine64)
if(POINTORA_WINE)
    set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-test.sh)
endif()
