# Cross-compiling for 32-bit Windows with Debian's MinGW-w64 (i686), the
# -posix variant of its GCC: the -win32 variant of GCC 12 lacks std::thread,
# std::mutex and std::condition_variable, which GoogleTest needs.
#
#   cmake -S . -B build/windows \
#     -DCMAKE_TOOLCHAIN_FILE=cmake/i686-w64-mingw32-posix.toolchain.cmake
#
# Everything is linked statically, so that the DLLs and programs import only
# the system's own DLLs and never the compiler's runtime libraries. Tests run
# through the emulator (Wine, see scripts/wine-run.sh).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)

set(VM_MINGW_PREFIX i686-w64-mingw32)
set(CMAKE_C_COMPILER ${VM_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${VM_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${VM_MINGW_PREFIX}-windres)
set(CMAKE_OBJDUMP ${VM_MINGW_PREFIX}-objdump)

set(CMAKE_FIND_ROOT_PATH /usr/${VM_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Floating point in the SSE2 unit, as on x86-64: the x87 unit would keep
# excess precision between steps, so the wave's tables and the renderer's
# pictures could differ from the Linux build's. Every processor that runs
# today's Windows has SSE2.
set(CMAKE_C_FLAGS_INIT "-msse2 -mfpmath=sse")
set(CMAKE_CXX_FLAGS_INIT "-msse2 -mfpmath=sse")

# Static runtime: libgcc, libstdc++ and winpthread are linked in.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-static")

# Tests and the test discovery run the Windows programs under Wine.
get_filename_component(VM_SOURCE_ROOT "${CMAKE_CURRENT_LIST_DIR}/.." ABSOLUTE)
set(CMAKE_CROSSCOMPILING_EMULATOR ${VM_SOURCE_ROOT}/scripts/wine-run.sh)

# Libraries found by CMake (zlib) are the static ones, never import
# libraries of DLLs that the users' systems do not have.
set(ZLIB_USE_STATIC_LIBS ON)
