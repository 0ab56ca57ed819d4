# Compiler settings shared by every target of our own (never by third-party code).

# Our sources are UTF-8; every string literal of the program is stored in code
# page 936, the program's ANSI code page, so texts reach files, the log and the
# window as CP936 bytes in both builds.
set(ZDV_CHARSET_FLAGS -finput-charset=UTF-8 -fexec-charset=GBK)

# The fuzz build uses clang, which stores literals in UTF-8 only; the texts
# do not matter to a fuzzer.
if(ZDV_FUZZ)
  set(ZDV_CHARSET_FLAGS "")
  set(ZDV_FUZZ_FLAGS -fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
endif()

function(zdv_target_defaults target)
  target_compile_options(${target} PRIVATE -Wall -Wextra ${ZDV_CHARSET_FLAGS})
  if(ZDV_FUZZ)
    target_compile_options(${target} PRIVATE ${ZDV_FUZZ_FLAGS})
    target_link_options(${target} PRIVATE -fsanitize=address,undefined)
  endif()
  if(ZDV_SANITIZE AND NOT CMAKE_CROSSCOMPILING)
    target_compile_options(${target} PRIVATE -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
    target_link_options(${target} PRIVATE -fsanitize=address,undefined)
  endif()
  if(WIN32)
    # Only system DLLs at run time: the C and C++ runtimes and pthreads are linked in.
    target_link_options(${target} PRIVATE -static -static-libgcc -static-libstdc++)
  endif()
endfunction()

if(WIN32)
  add_compile_definitions(WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601 WINVER=0x0601)
endif()
