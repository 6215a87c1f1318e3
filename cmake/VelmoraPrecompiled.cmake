# Precompiled headers. Qt's widget headers and GoogleTest take most of the
# compile time of the files that use them, and the test script builds the tree
# several times over, so targets of several files parse them once.
option(VELMORA_PRECOMPILE_HEADERS "Precompile the Qt and GoogleTest headers of larger targets" ON)

set(VELMORA_QT_PRECOMPILED_HEADERS
  <QApplication> <QWidget> <QMainWindow> <QDialog> <QLabel> <QLineEdit>
  <QComboBox> <QPlainTextEdit> <QTreeWidget> <QAction> <QPainter> <QTimer>
  <QString> <QPointer>)
set(VELMORA_TEST_PRECOMPILED_HEADERS <gtest/gtest.h> <gmock/gmock.h>)

# velmora_precompile(target header...): precompiles the headers for the
# target when it has at least three source files; for fewer, building the
# header costs more than it saves.
function(velmora_precompile target)
  if(NOT VELMORA_PRECOMPILE_HEADERS)
    return()
  endif()
  get_target_property(sources ${target} SOURCES)
  list(FILTER sources INCLUDE REGEX "\\.(cpp|cc|cxx)$")
  list(LENGTH sources count)
  if(count LESS 3)
    return()
  endif()
  target_precompile_headers(${target} PRIVATE ${ARGN})
endfunction()
