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

# 32-bit builds reproduce the byte layouts of the plug-in records exactly.
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  set(VELMORA_32BIT ON)
else()
  set(VELMORA_32BIT OFF)
endif()
