# Cross-compiles for 32-bit Windows with MinGW-w64 and runs the programs it
# builds (tests, try_run) under Wine through scripts/wine-run.
#
#   cmake -S . -B build/win32 -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-i686-mingw32.cmake
#
# The static libjpeg and libcrypto come from scripts/deps; KOSETUP_DEPS_DIR
# points at its cache.

set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86)
set(KOSETUP_TRIPLET i686-w64-mingw32)

# The posix thread model: GoogleTest needs std::mutex, which the win32 model lacks.
set(CMAKE_C_COMPILER ${KOSETUP_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${KOSETUP_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${KOSETUP_TRIPLET}-windres)

# Same default as scripts/deps.
if(DEFINED ENV{KOSETUP_DEPS})
  set(_kosetup_deps_default "$ENV{KOSETUP_DEPS}")
else()
  set(_kosetup_deps_default "$ENV{HOME}/.cache/kosetup-deps/${KOSETUP_TRIPLET}")
endif()
set(KOSETUP_DEPS_DIR "${_kosetup_deps_default}"
    CACHE PATH "Cache of the cross-built static libraries (scripts/deps)")
# try_compile projects re-read this file without our cache; hand the value on.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES KOSETUP_DEPS_DIR)

set(CMAKE_FIND_ROOT_PATH /usr/${KOSETUP_TRIPLET} "${KOSETUP_DEPS_DIR}")
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Every program carries its own libgcc, libstdc++ and winpthread: the stub must
# run on a bare Windows, and Wine must not go looking for MinGW DLLs.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

# Each build tree gets its own Wine prefix, created on first use; the
# KOSETUP_WINEPREFIX environment variable overrides it.
get_filename_component(_kosetup_root "${CMAKE_CURRENT_LIST_DIR}/.." ABSOLUTE)
set(CMAKE_CROSSCOMPILING_EMULATOR
    "${_kosetup_root}/scripts/wine-run;--prefix=${CMAKE_BINARY_DIR}/wineprefix")

# The stub's own flags. Applied per target (not globally) so that tests and the
# cross-built builder keep normal optimisation and console subsystem.
#   -Os, one section per function and --gc-sections: the stub ships inside
#       every Setup.exe, so unused library code must not come along;
#   -mwindows: GUI subsystem, no console window;
#   -s: no symbols; the map file next to the program says what went in.
set(KOSETUP_STUB_COMPILE_FLAGS -Os -ffunction-sections -fdata-sections)
set(KOSETUP_STUB_LINK_FLAGS -Os -mwindows -s -Wl,--gc-sections)

# kosetup_stub_flags(<target>): applies the stub flags and writes <target>.map
# next to the program.
function(kosetup_stub_flags target)
  target_compile_options(${target} PRIVATE ${KOSETUP_STUB_COMPILE_FLAGS})
  target_link_options(${target} PRIVATE ${KOSETUP_STUB_LINK_FLAGS}
                      "-Wl,-Map=$<TARGET_FILE_DIR:${target}>/${target}.map")
endfunction()
