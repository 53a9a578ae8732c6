# Provides the targets OpenSSL::Crypto and JPEG::JPEG for both builds.
#
# Natively they come from Debian's libssl-dev and libjpeg-dev through CMake's
# own find modules. In the MinGW build they are imported from the static
# libraries that scripts/deps cross-builds into KOSETUP_DEPS_DIR (set by the
# toolchain file).

if(NOT CMAKE_CROSSCOMPILING)
  find_package(OpenSSL REQUIRED COMPONENTS Crypto)
  find_package(JPEG REQUIRED)
  return()
endif()

if(NOT KOSETUP_DEPS_DIR)
  message(FATAL_ERROR "KOSETUP_DEPS_DIR is not set; configure with "
                      "-DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-i686-mingw32.cmake")
endif()

foreach(_file lib/libcrypto.a lib/libjpeg.a include/openssl/aes.h include/jpeglib.h)
  if(NOT EXISTS "${KOSETUP_DEPS_DIR}/${_file}")
    message(FATAL_ERROR "${KOSETUP_DEPS_DIR}/${_file} is missing; "
                        "run scripts/deps to build the Windows libraries")
  endif()
endforeach()

if(NOT TARGET OpenSSL::Crypto)
  add_library(OpenSSL::Crypto STATIC IMPORTED GLOBAL)
  # libcrypto is configured without sockets, so besides kernel32 it only
  # calls advapi32 (CryptGenRandom, for the random generator) and user32 (its
  # fatal-error message box); both are MinGW defaults, named here so that a
  # link with -nodefaultlibs still resolves. The AES block functions and the
  # CPU feature probe need kernel32 alone.
  set_target_properties(
    OpenSSL::Crypto
    PROPERTIES IMPORTED_LOCATION "${KOSETUP_DEPS_DIR}/lib/libcrypto.a"
               INTERFACE_INCLUDE_DIRECTORIES "${KOSETUP_DEPS_DIR}/include"
               INTERFACE_LINK_LIBRARIES "advapi32;user32")
endif()

if(NOT TARGET JPEG::JPEG)
  add_library(JPEG::JPEG STATIC IMPORTED GLOBAL)
  set_target_properties(
    JPEG::JPEG PROPERTIES IMPORTED_LOCATION "${KOSETUP_DEPS_DIR}/lib/libjpeg.a"
                          INTERFACE_INCLUDE_DIRECTORIES "${KOSETUP_DEPS_DIR}/include")
endif()
