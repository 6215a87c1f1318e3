# GoogleTest for every configuration. The 32-bit build compiles GoogleTest from
# Debian's sources, since the packaged libraries are 64-bit only.
if(VELMORA_32BIT AND EXISTS /usr/src/googletest/CMakeLists.txt)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
  # Debian's sources define the GTest:: aliases themselves.
  add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
else()
  find_package(GTest REQUIRED)
endif()
include(GoogleTest)

# The ThreadSanitizer stage of scripts/test.sh builds this target only: the
# test binaries labelled "concurrency" and what they link.
add_custom_target(concurrency-tests)

# Test code is compiled without optimisation: it runs for moments, and
# optimising it would take half of its compile time. The code under test is
# built as the build type says.
set(VELMORA_TEST_CODE_OPTIONS -O0)

# velmora_add_test(NAME name SOURCES ... LIBS ... [LABELS ...] [NO_MAIN])
# Builds one test binary and registers its cases with CTest. Tests labelled
# "concurrency" are also run under ThreadSanitizer by scripts/test.sh.
function(velmora_add_test)
  cmake_parse_arguments(T "NO_MAIN" "NAME" "SOURCES;LIBS;LABELS" ${ARGN})
  add_executable(${T_NAME} ${T_SOURCES})
  target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} GTest::gtest GTest::gmock)
  if(NOT T_NO_MAIN)
    target_link_libraries(${T_NAME} PRIVATE GTest::gtest_main)
  endif()
  _velmora_links_qt(links_qt ${T_LIBS})
  if(links_qt)
    velmora_use_precompiled_headers(${T_NAME} QT_TEST)
  else()
    velmora_use_precompiled_headers(${T_NAME} TEST)
  endif()
  if("concurrency" IN_LIST T_LABELS)
    add_dependencies(concurrency-tests ${T_NAME})
  endif()
  gtest_discover_tests(${T_NAME}
    DISCOVERY_TIMEOUT 60
    PROPERTIES LABELS "${T_LABELS}")
endfunction()
