# Cross toolchain for MinGW-w64. MELVOX_MINGW_ARCH selects i686 (the shipped
# 32-bit plug-in) or x86_64 (the plug-in for 64-bit hosts).
# The posix-thread compilers are used because GoogleTest needs std::mutex.
set(CMAKE_SYSTEM_NAME Windows)
if(NOT MELVOX_MINGW_ARCH)
  set(MELVOX_MINGW_ARCH i686)
endif()
set(CMAKE_SYSTEM_PROCESSOR ${MELVOX_MINGW_ARCH})
set(_triple ${MELVOX_MINGW_ARCH}-w64-mingw32)
set(CMAKE_C_COMPILER ${_triple}-gcc-posix)
set(CMAKE_CXX_COMPILER ${_triple}-g++-posix)
set(CMAKE_RC_COMPILER ${_triple}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${_triple})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# Everything links the runtime statically: the host must not need MinGW DLLs.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
