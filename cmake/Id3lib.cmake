# Provides the target zdv::id3lib.
#   Native: Debian's libid3-3.8.3-dev.
#   Windows: id3lib compiled from Debian's source package id3lib3.8.3 as
#   id3lib.dll (LGPL: a user can replace it with a modified build), with
#   cmake/id3lib/config.h and zlib from libz-mingw-w64-dev linked into it.
#   Fuzzing (native): the same sources, instrumented.
include(DebianSource)

if(NOT CMAKE_CROSSCOMPILING AND NOT ZDV_FUZZ)
  find_path(ID3LIB_INCLUDE_DIR id3/tag.h REQUIRED)
  find_library(ID3LIB_LIBRARY NAMES id3 REQUIRED)
  add_library(zdv_id3lib INTERFACE)
  target_include_directories(zdv_id3lib SYSTEM INTERFACE ${ID3LIB_INCLUDE_DIR})
  target_link_libraries(zdv_id3lib INTERFACE ${ID3LIB_LIBRARY})
else()
  zdv_debian_source(id3lib3.8.3 ID3LIB_SOURCE_DIR)
  file(GLOB ID3LIB_SOURCES "${ID3LIB_SOURCE_DIR}/src/*.cpp")
  if(CMAKE_CROSSCOMPILING)
    # Every function of id3lib is exported (the linker's default when no
    # symbol is marked for export); the C and C++ runtimes and zlib are linked
    # in, and none of their symbols is exported (the program has its own).
    add_library(zdv_id3lib SHARED ${ID3LIB_SOURCES})
    set_target_properties(zdv_id3lib PROPERTIES OUTPUT_NAME id3lib PREFIX ""
      ARCHIVE_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/lib)
    target_link_options(zdv_id3lib PRIVATE -static -static-libgcc -static-libstdc++ -Wl,--exclude-libs,ALL)
  else()
    add_library(zdv_id3lib STATIC ${ID3LIB_SOURCES})
  endif()
  target_compile_definitions(zdv_id3lib PRIVATE HAVE_CONFIG_H PUBLIC ID3LIB_LINKOPTION=1)
  target_include_directories(zdv_id3lib
    PRIVATE ${CMAKE_CURRENT_LIST_DIR}/id3lib ${ID3LIB_SOURCE_DIR}/src ${ID3LIB_SOURCE_DIR}/include/id3)
  target_include_directories(zdv_id3lib SYSTEM PUBLIC ${ID3LIB_SOURCE_DIR}/include)
  # id3lib tests WIN32, which only the GNU dialects predefine.
  set_target_properties(zdv_id3lib PROPERTIES CXX_EXTENSIONS ON)
  target_compile_options(zdv_id3lib PRIVATE -w)
  if(ZDV_FUZZ)
    # Compiled from source with the fuzzer's coverage and AddressSanitizer, so
    # that its own faults show.
    target_compile_options(zdv_id3lib PRIVATE -fsanitize=fuzzer-no-link,address -fno-omit-frame-pointer)
    # What Debian's own build finds on Linux.
    target_compile_definitions(zdv_id3lib PRIVATE HAVE_UNISTD_H=1 HAVE_MKSTEMP=1 HAVE_SYS_STAT_H=1)
  endif()
  find_library(ZLIB_MINGW_LIBRARY NAMES libz.a z REQUIRED)
  target_link_libraries(zdv_id3lib PRIVATE ${ZLIB_MINGW_LIBRARY})
endif()
add_library(zdv::id3lib ALIAS zdv_id3lib)
