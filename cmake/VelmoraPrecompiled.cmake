# Precompiled headers. Qt's widget headers and GoogleTest take most of the
# compile time of the files that use them, and the test script builds the tree
# several times over. Each kind of header set is compiled once, by a small
# donor target, and every target of that kind reuses it.
#
# GCC takes a precompiled header only where it was made with the same macros
# and the same code model. The donors therefore link what their consumers link
# (so they see the same macros), and consumers compile position-independent
# code (-fPIC), as the donors do.
option(VELMORA_PRECOMPILE_HEADERS "Precompile the Qt and GoogleTest headers once per build" ON)

set(_velmora_qt_headers
  <QApplication> <QWidget> <QMainWindow> <QDialog> <QLabel> <QLineEdit>
  <QComboBox> <QPlainTextEdit> <QTreeWidget> <QAction> <QPainter> <QTimer>
  <QString> <QPointer>)
set(_velmora_test_headers <gtest/gtest.h> <gmock/gmock.h>)

function(_velmora_add_donor name)
  cmake_parse_arguments(D "" "" "HEADERS;LIBS;OPTIONS" ${ARGN})
  add_library(${name} STATIC ${PROJECT_SOURCE_DIR}/cmake/precompiled_header_donor.cpp)
  target_link_libraries(${name} PRIVATE ${D_LIBS})
  target_compile_options(${name} PRIVATE ${D_OPTIONS})
  target_precompile_headers(${name} PRIVATE ${D_HEADERS})
endfunction()

if(VELMORA_PRECOMPILE_HEADERS)
  if(NOT VELMORA_PLUGINS_ONLY)
    find_package(Qt6 REQUIRED COMPONENTS Widgets)
    _velmora_add_donor(velmora_pch_qt HEADERS ${_velmora_qt_headers} LIBS Qt6::Widgets)
  endif()
  if(VELMORA_BUILD_TESTS)
    _velmora_add_donor(velmora_pch_test HEADERS ${_velmora_test_headers}
                       LIBS GTest::gtest GTest::gmock OPTIONS ${VELMORA_TEST_CODE_OPTIONS})
    if(NOT VELMORA_PLUGINS_ONLY)
      _velmora_add_donor(velmora_pch_qt_test HEADERS ${_velmora_test_headers} ${_velmora_qt_headers}
                         LIBS GTest::gtest GTest::gmock Qt6::Widgets OPTIONS ${VELMORA_TEST_CODE_OPTIONS})
    endif()
  endif()
endif()

# velmora_use_precompiled_headers(target QT|TEST|QT_TEST): the target reuses
# the donor's precompiled header of that kind. A target that links Qt widgets
# takes QT (or QT_TEST when it also links GoogleTest). The test kinds are test
# code and compiled as such (VELMORA_TEST_CODE_OPTIONS).
function(velmora_use_precompiled_headers target kind)
  string(TOLOWER "velmora_pch_${kind}" donor)
  if(kind MATCHES "TEST")
    target_compile_options(${target} PRIVATE ${VELMORA_TEST_CODE_OPTIONS})
  endif()
  if(NOT VELMORA_PRECOMPILE_HEADERS OR NOT TARGET ${donor})
    return()
  endif()
  target_compile_options(${target} PRIVATE -fPIC)
  target_precompile_headers(${target} REUSE_FROM ${donor})
endfunction()

# _velmora_links_qt(result lib...): whether any of the libraries brings Qt's
# macros to its users, directly or through the libraries it links publicly.
function(_velmora_links_qt result)
  set(pending ${ARGN})
  set(seen)
  while(pending)
    list(POP_FRONT pending lib)
    if(lib MATCHES "^Qt6::")
      set(${result} TRUE PARENT_SCOPE)
      return()
    endif()
    if(NOT TARGET ${lib} OR lib IN_LIST seen)
      continue()
    endif()
    list(APPEND seen ${lib})
    get_target_property(aliased ${lib} ALIASED_TARGET)
    if(aliased)
      list(APPEND pending ${aliased})
      continue()
    endif()
    get_target_property(interface ${lib} INTERFACE_LINK_LIBRARIES)
    if(interface)
      # Private links of static libraries show as $<LINK_ONLY:...>; they do
      # not reach their users' compiles.
      list(FILTER interface EXCLUDE REGEX "^\\$<LINK_ONLY:")
      list(APPEND pending ${interface})
    endif()
  endwhile()
  set(${result} FALSE PARENT_SCOPE)
endfunction()
