# Cross toolchain for the product: 32-bit Windows, MinGW-w64 with POSIX threads
# (GoogleTest needs them), run under Wine for the tests.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)

set(CMAKE_C_COMPILER i686-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER i686-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER i686-w64-mingw32-windres)

set(CMAKE_FIND_ROOT_PATH /usr/i686-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

# SSE2 arithmetic everywhere: the x87 unit's precision and rounding modes, which a
# host may change, then take no part in any result.
set(CMAKE_C_FLAGS_INIT "-msse2 -mfpmath=sse -ffp-contract=off")
set(CMAKE_CXX_FLAGS_INIT "-msse2 -mfpmath=sse -ffp-contract=off")
# The same objects from every checkout and build folder: the file names that
# reach them (__FILE__, debug records) are written relative to the sources,
# and the build folder (the later, more specific map) as "build".
foreach(lang C CXX)
  string(APPEND CMAKE_${lang}_FLAGS_INIT
         " -ffile-prefix-map=${CMAKE_SOURCE_DIR}/=" " -ffile-prefix-map=${CMAKE_BINARY_DIR}/=build/")
endforeach()
# No MinGW runtime DLLs next to the product or the test programs, and no link
# timestamp in any program or library: the header's is 0.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++ -Wl,--no-insert-timestamp")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++ -Wl,--no-insert-timestamp")

set(CMAKE_CROSSCOMPILING_EMULATOR wine)
