# Provides the target zdv::mpg123 (libmpg123, the MP3 decoder of the audio library).
#   Native: Debian's libmpg123-dev.
#   Windows: libmpg123 built as libmpg123.dll (LGPL: a user can replace it
#   with a modified build) from Debian's source package mpg123 with the CMake
#   port it ships (ports/cmake), using our toolchain; the DLL is installed
#   into bin beside the audio library that imports it.
include(DebianSource)

if(NOT CMAKE_CROSSCOMPILING)
  find_package(PkgConfig REQUIRED)
  pkg_check_modules(MPG123 REQUIRED IMPORTED_TARGET libmpg123)
  add_library(zdv_mpg123 INTERFACE)
  target_link_libraries(zdv_mpg123 INTERFACE PkgConfig::MPG123)
else()
  include(ExternalProject)
  zdv_debian_source(mpg123 MPG123_SOURCE_DIR)
  set(MPG123_PREFIX "${CMAKE_BINARY_DIR}/_deps/mpg123-install")
  set(MPG123_LIBRARY "${MPG123_PREFIX}/lib/libmpg123.dll.a")
  set(MPG123_DLL "${CMAKE_BINARY_DIR}/bin/libmpg123.dll")
  # The toolchain file may have been given relative to the folder cmake ran in.
  get_filename_component(ZDV_TOOLCHAIN_FILE "${CMAKE_TOOLCHAIN_FILE}" ABSOLUTE BASE_DIR "${CMAKE_SOURCE_DIR}")
  ExternalProject_Add(mpg123_build
    SOURCE_DIR "${MPG123_SOURCE_DIR}/ports/cmake"
    BINARY_DIR "${CMAKE_BINARY_DIR}/_deps/mpg123-build"
    INSTALL_DIR "${MPG123_PREFIX}"
    CMAKE_ARGS
      -DCMAKE_TOOLCHAIN_FILE=${ZDV_TOOLCHAIN_FILE}
      -DCMAKE_MAKE_PROGRAM=${CMAKE_MAKE_PROGRAM}
      -DCMAKE_BUILD_TYPE=Release
      -DCMAKE_INSTALL_PREFIX=<INSTALL_DIR>
      -DCMAKE_INSTALL_LIBDIR=lib
      -DCMAKE_INSTALL_BINDIR=${CMAKE_BINARY_DIR}/bin
      -DBUILD_SHARED_LIBS=ON
      -DUSE_MODULES=OFF
      -DBUILD_LIBOUT123=OFF
      -DBUILD_PROGRAMS=OFF
      # Only system DLLs at run time: the C runtime and pthreads are linked in.
      "-DCMAKE_SHARED_LINKER_FLAGS=-static -static-libgcc"
    BUILD_BYPRODUCTS "${MPG123_LIBRARY}" "${MPG123_DLL}"
    UPDATE_COMMAND ""
    LOG_CONFIGURE ON LOG_BUILD ON LOG_INSTALL ON LOG_OUTPUT_ON_FAILURE ON)
  # The include folder must exist when the imported target is defined.
  file(MAKE_DIRECTORY "${MPG123_PREFIX}/include")
  add_library(zdv_mpg123 SHARED IMPORTED GLOBAL)
  set_target_properties(zdv_mpg123 PROPERTIES
    IMPORTED_LOCATION "${MPG123_DLL}"
    IMPORTED_IMPLIB "${MPG123_LIBRARY}"
    INTERFACE_INCLUDE_DIRECTORIES "${MPG123_PREFIX}/include"
  )
  add_dependencies(zdv_mpg123 mpg123_build)
endif()
add_library(zdv::mpg123 ALIAS zdv_mpg123)
