// Shows the real window on a real X server (Xvfb, no window manager) and takes a
// picture of the screen where it should be. Fails unless the window is there, at the
// centred origin and of the client size, and looks on screen as it paints itself.
// Usage: window_screenshot OUTPUT.png
#include <QApplication>
#include <QImage>
#include <QScreen>
#include <QTest>
#include <cstdio>

#include "app/window/main_window.h"
#include "automation/apartment.h"
#include "components/register.h"

int main(int argc, char** argv) {
  quolvane::OleStartup();
  quolvane::RegisterBuiltinComponents();
  QApplication application(argc, argv);
  if (argc != 2) {
    std::fputs("usage: window_screenshot OUTPUT.png\n", stderr);
    return 2;
  }
  int failures = 0;
  {
    quolvane::MainWindow window;
    window.show();
    if (!QTest::qWaitForWindowExposed(&window)) {
      std::fputs("the window was never exposed\n", stderr);
      return 1;
    }
    QTest::qWait(300);  // lets the first paint reach the server

    QScreen* screen = QGuiApplication::primaryScreen();
    const QSize screenSize = screen->size();
    const QPoint expectedOrigin((screenSize.width() - 788) / 2, (screenSize.height() - 210) / 2);
    const QRect frame = window.frameGeometry();
    std::printf("screen %dx%d, frame %d,%d %dx%d, client %dx%d\n", screenSize.width(),
                screenSize.height(), frame.x(), frame.y(), frame.width(), frame.height(),
                window.width(), window.height());
    if (frame.topLeft() != expectedOrigin) {
      std::fprintf(stderr, "frame origin %d,%d, expected %d,%d\n", frame.x(), frame.y(),
                   expectedOrigin.x(), expectedOrigin.y());
      ++failures;
    }
    if (window.size() != QSize(782, 181)) {
      std::fputs("wrong client size\n", stderr);
      ++failures;
    }

    const QRect client(window.mapToGlobal(QPoint(0, 0)), window.size());
    const QImage onScreen =
        screen->grabWindow(0, client.x(), client.y(), client.width(), client.height())
            .toImage()
            .convertToFormat(QImage::Format_RGB32);
    const QImage painted = window.grab().toImage().convertToFormat(QImage::Format_RGB32);
    if (onScreen.size() != painted.size() || onScreen != painted) {
      std::fputs("the screen does not show the window where it should be\n", stderr);
      ++failures;
    }
    if (!onScreen.save(QString::fromLocal8Bit(argv[1]), "PNG")) {
      std::fprintf(stderr, "cannot write %s\n", argv[1]);
      ++failures;
    }
  }
  quolvane::OleShutdown();
  return failures == 0 ? 0 : 1;
}
