# Shared part of the MinGW-w64 toolchain files: compilers and search roots
# for the triple named by SUDOKU_MINGW_TRIPLE. The compilers of the POSIX
# thread model have std::mutex and the rest of <thread>, which GoogleTest
# needs; their winpthread is linked statically with the rest.
set(CMAKE_C_COMPILER ${SUDOKU_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${SUDOKU_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${SUDOKU_MINGW_TRIPLE}-windres)

# Headers and libraries come from the target's tree only; build tools from the host.
set(CMAKE_FIND_ROOT_PATH /usr/${SUDOKU_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
