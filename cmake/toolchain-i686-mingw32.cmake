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

# Same default as scripts/deps: one folder per recipe of the libraries. Not a cache entry, so
# that a build tree follows a new recipe when it reconfigures.
if(DEFINED ENV{KOSETUP_DEPS})
  set(KOSETUP_DEPS_DIR "$ENV{KOSETUP_DEPS}")
else()
  file(STRINGS "${CMAKE_CURRENT_LIST_DIR}/../scripts/deps" _kosetup_recipe REGEX "^recipe=[0-9]+$")
  string(REPLACE "recipe=" "" _kosetup_recipe "${_kosetup_recipe}")
  set(KOSETUP_DEPS_DIR "$ENV{HOME}/.cache/kosetup-deps/${KOSETUP_TRIPLET}-r${_kosetup_recipe}")
endif()
# try_compile projects re-read this file without our cache; hand the value on.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES KOSETUP_DEPS_DIR)

set(CMAKE_FIND_ROOT_PATH /usr/${KOSETUP_TRIPLET} "${KOSETUP_DEPS_DIR}")
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Every program carries its own runtime (libgcc, libstdc++, winpthread): the stub must
# run on a bare Windows, and Wine must not go looking for MinGW DLLs.
# The stub's libraries are also fat link-time-optimisation objects (see below): other programs
# link their ordinary code, without the linker plugin, which would take the optimiser's view
# of them and then find their inline functions defined twice.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -fno-use-linker-plugin")

# Each build tree gets its own Wine prefix, created on first use; the
# KOSETUP_WINEPREFIX environment variable overrides it.
get_filename_component(_kosetup_root "${CMAKE_CURRENT_LIST_DIR}/.." ABSOLUTE)
set(CMAKE_CROSSCOMPILING_EMULATOR
    "${_kosetup_root}/scripts/wine-run;--prefix=${CMAKE_BINARY_DIR}/wineprefix")

# The stub's own flags. Applied per target (not globally) so that tests and the
# cross-built builder keep normal optimisation and console subsystem.
#   -Oz (smaller code than -Os), one section per function and --gc-sections: the
#       stub ships inside every Setup.exe, so unused library code must not come along;
#   -flto: the stub's link optimises across its libraries (about 50 KB less). The
#       objects are fat, so that tests and tools link the same libraries the
#       ordinary way. One partition: GCC 12 for MinGW fails with an internal
#       error when it splits the program (and the stub is small enough for one);
#   -fno-threadsafe-statics: the stub has one thread; no lock around the first use of a
#       function's static;
#   -mwindows: GUI subsystem, no console window;
#   -s: no symbols; the map file next to the program says what went in.
set(KOSETUP_STUB_COMPILE_FLAGS -Oz -ffunction-sections -fdata-sections -flto -ffat-lto-objects
                               -fno-threadsafe-statics)
set(KOSETUP_STUB_LINK_FLAGS -Oz -flto -flto-partition=none -fuse-linker-plugin -mwindows -s
                            -Wl,--gc-sections)
# The stub runs one thread. The posix thread model's runtime guards its statics and its
# exception memory with winpthread (30 KB in every Setup.exe); the win32 model's runtime of
# the same compiler uses the kernel's own locks. Nothing the stub compiles calls into threads,
# so its objects link against either runtime.
execute_process(COMMAND ${KOSETUP_TRIPLET}-g++-win32 -print-file-name=libstdc++.a
                OUTPUT_VARIABLE _kosetup_win32_runtime OUTPUT_STRIP_TRAILING_WHITESPACE
                ERROR_QUIET)
if(IS_ABSOLUTE "${_kosetup_win32_runtime}")
  get_filename_component(_kosetup_win32_runtime "${_kosetup_win32_runtime}" DIRECTORY)
  list(APPEND KOSETUP_STUB_LINK_FLAGS "-L${_kosetup_win32_runtime}")
endif()

# kosetup_stub_flags(<target>): applies the stub flags and writes <target>.map
# next to the program.
function(kosetup_stub_flags target)
  target_compile_options(${target} PRIVATE ${KOSETUP_STUB_COMPILE_FLAGS})
  target_link_options(${target} PRIVATE ${KOSETUP_STUB_LINK_FLAGS}
                      "-Wl,-Map=$<TARGET_FILE_DIR:${target}>/${target}.map")
endfunction()
