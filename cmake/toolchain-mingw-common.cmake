# Shared part of the two MinGW-w64 toolchain files. The compilers are named
# explicitly: the unsuffixed names may be the win32 thread model, which lacks
# std::thread and std::mutex.
set(CMAKE_C_COMPILER ${LULLAN_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${LULLAN_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${LULLAN_TRIPLET}-windres)
set(LULLAN_WINDMC ${LULLAN_TRIPLET}-windmc)
set(LULLAN_WIDL ${LULLAN_TRIPLET}-widl)

set(CMAKE_FIND_ROOT_PATH /usr/${LULLAN_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

# ctest runs the Windows test programs through Wine.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run.sh)
