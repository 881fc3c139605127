#include <gtest/gtest.h>

#include <QApplication>

// GoogleTest with a QApplication, so the widget tests drive real widgets (offscreen under CTest).
int main(int argc, char** argv) {
  // CTest sets the platform; listing the tests at build time needs one too.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication::setWheelScrollLines(3);
  QApplication app(argc, argv);
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
