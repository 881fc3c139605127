#pragma once

#include <QCoreApplication>

#include "ui/Application.h"

// Runs a Qt Test object under the program's own application object, so the dispatch is the real one.
#define METRAZIL_TEST_MAIN(TestObject)      \
  int main(int argc, char** argv) {         \
    metrazil::TApplication app(argc, argv); \
    TestObject test;                        \
    return QTest::qExec(&test, argc, argv); \
  }
