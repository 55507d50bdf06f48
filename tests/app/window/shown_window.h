// A MainWindow on the screen and active, so keys reach it as they reach a user's.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QInputMethodEvent>
#include <QTest>
#include <QWidget>
#include <stdexcept>
#include <string>

#include "app/window/main_window.h"

namespace quolvane::testing {

// Types text as a user would: ASCII by key presses, everything else as an input
// method commits it (Qt's key simulation knows only ASCII keys).
inline void Type(QWidget& widget, const QString& text) {
  QString pending;
  auto commit = [&] {
    if (pending.isEmpty()) return;
    QInputMethodEvent event;
    event.setCommitString(pending);
    QApplication::sendEvent(&widget, &event);
    pending.clear();
  };
  for (QChar c : text) {
    if (c.unicode() >= 0x20 && c.unicode() < 0x7F) {
      commit();
      QTest::keyClick(&widget, c.toLatin1());
    } else {
      pending += c;
    }
  }
  commit();
}

class ShownWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    window_.show();
    window_.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window_));
  }

  template <typename T = QWidget>
  T& Control(const char* name) {
    T* control = window_.findChild<T*>(QString::fromUtf8(name), Qt::FindDirectChildrenOnly);
    if (control == nullptr) throw std::runtime_error(std::string("no control ") + name);
    return *control;
  }

  MainWindow window_;
};

}  // namespace quolvane::testing
