// The program: OLE around the Qt event loop and the one window. It takes no command
// line of its own; QApplication takes the toolkit's options (-platform and the like).
#include <QApplication>

#include "app/window/main_window.h"
#include "automation/apartment.h"
#include "components/register.h"

int main(int argc, char** argv) {
  const quolvane::OleSession ole;
  quolvane::RegisterBuiltinComponents();

  QApplication application(argc, argv);
  QGuiApplication::setDesktopFileName(QStringLiteral("quolvane"));
  quolvane::MainWindow window;
  window.show();
  // Closing the last window ends the loop with 0.
  return QApplication::exec();
}
