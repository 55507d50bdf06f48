// The window suites need a QApplication on the main thread before any widget exists,
// and the program's own start-up around the tests.
#include <gtest/gtest.h>

#include <QApplication>

#include "automation/apartment.h"
#include "components/register.h"

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  testing::InitGoogleTest(&argc, argv);
  quolvane::OleStartup();
  quolvane::RegisterBuiltinComponents();
  const int result = RUN_ALL_TESTS();
  quolvane::OleShutdown();
  return result;
}
