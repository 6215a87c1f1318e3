# Compiler warnings and sanitizers, applied to every target in the tree.

add_compile_options(-Wall -Wextra)

if(VELMORA_SANITIZE)
  string(REPLACE "," ";" _sanitizers "${VELMORA_SANITIZE}")
  set(_flags "-fsanitize=${VELMORA_SANITIZE}" -fno-omit-frame-pointer)
  if("undefined" IN_LIST _sanitizers)
    list(APPEND _flags -fno-sanitize-recover=undefined)
  endif()
  add_compile_options(${_flags})
  add_link_options(${_flags})
endif()

# A fuzzing build records coverage in all code, so that libFuzzer is guided
# by the paths taken inside the libraries a fuzz target exercises and not only
# by the fuzz target's own few lines. The targets add -fsanitize=fuzzer.
if(VELMORA_BUILD_FUZZERS AND CMAKE_CXX_COMPILER_ID MATCHES "Clang")
  add_compile_options(-fsanitize=fuzzer-no-link)
endif()

# 32-bit builds reproduce the byte layouts of the plug-in records exactly.
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  set(VELMORA_32BIT ON)
else()
  set(VELMORA_32BIT OFF)
endif()

# Some kernels run no 32-bit programs (IA-32 emulation switched off). The
# 32-bit build then runs its test programs under QEMU's user-mode emulator.
if(VELMORA_32BIT AND NOT CMAKE_CROSSCOMPILING_EMULATOR)
  file(WRITE ${CMAKE_BINARY_DIR}/velmora_run32.c "int main(void) { return 0; }\n")
  try_run(_velmora_run32 _velmora_compile32 ${CMAKE_BINARY_DIR}/velmora_run32
    ${CMAKE_BINARY_DIR}/velmora_run32.c)
  if(_velmora_compile32 AND NOT _velmora_run32 EQUAL 0)
    find_program(VELMORA_QEMU_I386 qemu-i386)
    if(VELMORA_QEMU_I386)
      message(STATUS "32-bit programs do not run natively; running tests under ${VELMORA_QEMU_I386}")
      set(CMAKE_CROSSCOMPILING_EMULATOR ${VELMORA_QEMU_I386})
    else()
      message(WARNING "32-bit programs do not run here and qemu-i386 is missing: tests cannot run")
    endif()
  endif()
endif()

# ccache keeps the objects of earlier builds, so a rebuild after a small change
# (or a CI run on the machine that just built the same tree) compiles only what
# changed. The sloppiness lets it cache the units that use precompiled headers;
# the base folder and the unhashed working folder let two checkouts of the tree
# share the cached objects.
find_program(VELMORA_CCACHE ccache)
if(VELMORA_CCACHE AND NOT CMAKE_CXX_COMPILER_LAUNCHER)
  set(_launcher ${CMAKE_COMMAND} -E env
      CCACHE_SLOPPINESS=pch_defines,time_macros,include_file_mtime,include_file_ctime
      CCACHE_BASEDIR=${PROJECT_SOURCE_DIR} CCACHE_NOHASHDIR=1
      ${VELMORA_CCACHE})
  set(CMAKE_C_COMPILER_LAUNCHER ${_launcher})
  set(CMAKE_CXX_COMPILER_LAUNCHER ${_launcher})
endif()
