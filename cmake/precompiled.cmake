# Qt's widget headers are most of the compile time of every file that draws or shows a window,
# and GoogleTest's of every test: each set is parsed once per build and shared by the targets.
# GCC takes a precompiled header only where every macro it was built with is defined alike, so
# it is built with Qt Core's macros alone (common to all users) and the other modules' folders.
# -Winvalid-pch, with -Werror, says when a target no longer fits.
set(TAVRIN_STD_HEADERS
  <algorithm> <array> <cmath> <cstdint> <filesystem> <functional> <optional> <string> <vector>)
set(TAVRIN_QT_HEADERS ${TAVRIN_STD_HEADERS}
  <QApplication> <QCheckBox> <QComboBox> <QCoreApplication> <QGridLayout> <QGroupBox> <QImage>
  <QLabel> <QLineEdit> <QPainter> <QPushButton> <QString> <QTimer> <QVBoxLayout> <QWidget>)

function(tavrin_pch_target kind)
  add_library(tavrin_pch_${kind} OBJECT ${PROJECT_SOURCE_DIR}/cmake/pch_anchor.cpp)
  target_link_libraries(tavrin_pch_${kind} PRIVATE Qt6::Core ${ARGN})
  target_include_directories(tavrin_pch_${kind} SYSTEM PRIVATE
    $<TARGET_PROPERTY:Qt6::Gui,INTERFACE_INCLUDE_DIRECTORIES>
    $<TARGET_PROPERTY:Qt6::Widgets,INTERFACE_INCLUDE_DIRECTORIES>)
endfunction()

tavrin_pch_target(app)
target_precompile_headers(tavrin_pch_app PRIVATE ${TAVRIN_QT_HEADERS})
tavrin_pch_target(test GTest::gtest)
target_precompile_headers(tavrin_pch_test PRIVATE <gtest/gtest.h> ${TAVRIN_QT_HEADERS})

# The tests that use neither Qt nor the program's windows.
add_library(tavrin_pch_gtest OBJECT ${PROJECT_SOURCE_DIR}/cmake/pch_anchor.cpp)
target_link_libraries(tavrin_pch_gtest PRIVATE GTest::gtest)
target_precompile_headers(tavrin_pch_gtest PRIVATE <gtest/gtest.h> ${TAVRIN_STD_HEADERS})

# tavrin_precompiled(app|test|gtest TARGET...): the target takes that header; app and test
# are for Qt users only.
# GCC 12 takes libstdc++'s own string copies for out-of-bounds writes once those headers come
# precompiled (they lose their system-header standing); later versions do not.
function(tavrin_precompiled kind)
  foreach(target ${ARGN})
    target_precompile_headers(${target} REUSE_FROM tavrin_pch_${kind})
    target_compile_options(${target} PRIVATE
      $<$<AND:$<CXX_COMPILER_ID:GNU>,$<VERSION_LESS:$<CXX_COMPILER_VERSION>,13>>:-Wno-array-bounds -Wno-stringop-overflow -Wno-stringop-overread -Wno-restrict>)
  endforeach()
endfunction()
