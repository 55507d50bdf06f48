// The window as a user meets it: where it appears, what it shows, and its keys.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFontDatabase>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <string>
#include <vector>

#include "app/window/main_window.h"
#include "tests/app/window/shown_window.h"

namespace quolvane::testing {
namespace {

using WindowTest = ShownWindow;

// The client area of a 788 x 210 Windows window with a fixed single border and a caption.
constexpr int kClientWidth = 782;
constexpr int kClientHeight = 181;

TEST_F(WindowTest, GeometryFlagsFontAndIcon) {
  EXPECT_EQ(window_.windowTitle(), QStringLiteral("Quolvane"));
  EXPECT_EQ(window_.size(), QSize(kClientWidth, kClientHeight));
  EXPECT_EQ(window_.minimumSize(), window_.maximumSize()) << "the border must not resize it";

  const Qt::WindowFlags flags = window_.windowFlags();
  EXPECT_FALSE(flags & Qt::WindowMaximizeButtonHint);
  EXPECT_TRUE(flags & Qt::WindowMinimizeButtonHint);
  EXPECT_TRUE(flags & Qt::WindowCloseButtonHint);
  EXPECT_TRUE(flags & Qt::WindowTitleHint);
  EXPECT_FALSE(flags & Qt::WindowStaysOnTopHint);

  // The frame's origin, centred with truncation toward zero. The suite runs on several
  // screen sizes (see CMakeLists.txt): odd ones, and one smaller than the window.
  struct Case {
    QSize screen;
    QPoint frameOrigin;
  };
  const Case cases[] = {
      {{800, 800}, {6, 295}},  // the offscreen platform's own screen
      {{1365, 767}, {288, 278}},
      {{639, 479}, {-74, 134}},
  };
  const QSize screen = QGuiApplication::primaryScreen()->size();
  // The runs on other screens name theirs, so a screen setting that did not take is seen.
  const QString named = qEnvironmentVariable("QUOLVANE_TEST_SCREEN");
  if (!named.isEmpty()) {
    EXPECT_EQ(QStringLiteral("%1x%2").arg(screen.width()).arg(screen.height()).toStdString(),
              named.toStdString());
  }
  bool known = false;
  for (const Case& c : cases) {
    if (c.screen != screen) continue;
    known = true;
    EXPECT_EQ(window_.frameGeometry().topLeft(), c.frameOrigin);
  }
  EXPECT_TRUE(known) << "no expected origin for a screen of " << screen.width() << "x"
                     << screen.height();
  // The offscreen platform gives windows a frame, so this also tells frame from client.
  EXPECT_EQ(window_.geometry().size(), QSize(kClientWidth, kClientHeight));

  const QFont systemFont = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
  EXPECT_EQ(window_.font(), systemFont);
  for (const QWidget* child : window_.findChildren<QWidget*>()) {
    EXPECT_EQ(child->font(), systemFont) << child->objectName().toStdString();
  }

  const QList<QSize> iconSizes = window_.windowIcon().availableSizes();
  EXPECT_TRUE(iconSizes.contains(QSize(16, 16)));
  EXPECT_TRUE(iconSizes.contains(QSize(256, 256)));
  const QImage icon = window_.windowIcon().pixmap(QSize(256, 256)).toImage();
  ASSERT_EQ(icon.size(), QSize(256, 256));
  EXPECT_EQ(qAlpha(icon.pixel(0, 0)), 0) << "a rounded square leaves the corners clear";
  EXPECT_EQ(qAlpha(icon.pixel(128, 128)), 255);
}

TEST_F(WindowTest, ControlsInCreationOrderWithTheirPlacesAndTexts) {
  enum Kind { kLabel, kEdit, kButton };
  struct Case {
    const char* name;
    Kind kind;
    QRect rect;
    std::u16string text;
  };
  const Case cases[] = {
      {"标签1", kLabel, {8, 16, 48, 24}, u"视频地址"},
      {"编辑框1", kEdit, {80, 16, 560, 32}, u""},
      {"按钮1", kButton, {672, 8, 80, 40}, u"解析"},
      {"编辑框2", kEdit, {80, 72, 560, 32}, u""},
      {"按钮2", kButton, {672, 64, 80, 40}, u"下载"},
      {"标签2", kLabel, {8, 64, 64, 32}, u"无水印地址"},
      {"标签3", kLabel, {8, 144, 136, 32}, u""},  // text checked below
      {"标签4", kLabel, {648, 136, 104, 32}, u"by：Tarnwick"},
  };
  const QList<QWidget*> children = window_.findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
  ASSERT_EQ(static_cast<size_t>(children.size()), std::size(cases));
  for (size_t i = 0; i < std::size(cases); ++i) {
    const Case& c = cases[i];
    SCOPED_TRACE(c.name);
    const QWidget& control = *children[static_cast<qsizetype>(i)];
    EXPECT_EQ(control.objectName(), QString::fromUtf8(c.name)) << "creation order";
    EXPECT_EQ(control.geometry(), c.rect);
    EXPECT_TRUE(control.isVisible());
    EXPECT_TRUE(control.isEnabled());
    const QString text = QString::fromStdU16String(c.text);
    switch (c.kind) {
      case kLabel: {
        const auto* label = qobject_cast<const QLabel*>(&control);
        ASSERT_NE(label, nullptr);
        if (!c.text.empty()) {
          EXPECT_EQ(label->text(), text);
        }
        EXPECT_EQ(label->focusPolicy(), Qt::NoFocus);
        break;
      }
      case kEdit: {
        const auto* edit = qobject_cast<const QLineEdit*>(&control);
        ASSERT_NE(edit, nullptr);
        EXPECT_EQ(edit->text(), text);
        EXPECT_FALSE(edit->isReadOnly());
        EXPECT_EQ(edit->echoMode(), QLineEdit::Normal);
        EXPECT_TRUE(edit->alignment() & Qt::AlignLeft);
        EXPECT_EQ(edit->cursorPosition(), 0);
        EXPECT_NE(edit->focusPolicy(), Qt::NoFocus);
        break;
      }
      case kButton: {
        const auto* button = qobject_cast<const QPushButton*>(&control);
        ASSERT_NE(button, nullptr);
        EXPECT_EQ(button->text(), text);
        EXPECT_FALSE(button->autoDefault());
        EXPECT_FALSE(button->isDefault());
        EXPECT_TRUE(button->icon().isNull());
        EXPECT_NE(button->focusPolicy(), Qt::NoFocus);
        break;
      }
    }
  }
  // The feedback number is ours to choose; the rest of the text is fixed, with the
  // full-width colon and five spaces at the end.
  const QString feedback = Control<QLabel>("标签3").text();
  EXPECT_TRUE(feedback.startsWith(QString::fromUtf8("软件bug反馈："))) << feedback.toStdString();
  EXPECT_TRUE(feedback.endsWith(QStringLiteral("     "))) << feedback.toStdString();
  EXPECT_FALSE(feedback.endsWith(QStringLiteral("      "))) << feedback.toStdString();
}

TEST_F(WindowTest, EditBoxesTakeTextBeyondQtsDefaultLimit) {
  for (const char* name : {"编辑框1", "编辑框2"}) {
    SCOPED_TRACE(name);
    QLineEdit& box = Control<QLineEdit>(name);
    const QString longText(100000, QLatin1Char('a'));
    box.setText(longText);
    EXPECT_EQ(box.text().size(), longText.size());
    box.setFocus();
    box.end(false);
    QTest::keyClicks(&box, QStringLiteral("xyz"));
    EXPECT_TRUE(box.text().endsWith(QStringLiteral("axyz")));
    EXPECT_EQ(box.text().size(), longText.size() + 3);
  }
}

TEST_F(WindowTest, SelectionIsHiddenWhileTheWindowIsInactive) {
  QLineEdit& box = Control<QLineEdit>("编辑框1");
  box.setText(QStringLiteral("https://v.douyin.com/abc/"));
  box.setFocus();
  box.deselect();
  const QImage activePlain = box.grab().toImage();
  box.selectAll();
  EXPECT_NE(box.grab().toImage(), activePlain) << "the test cannot see a selection at all";

  // Another window takes the activation; the box keeps its selection, unseen.
  QWidget other;
  other.show();
  other.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
  ASSERT_FALSE(window_.isActiveWindow());
  EXPECT_TRUE(box.hasSelectedText());
  const QImage inactiveSelected = box.grab().toImage();
  box.deselect();
  EXPECT_EQ(inactiveSelected, box.grab().toImage());
}

TEST_F(WindowTest, TabAndBacktabCycleTheFocusableControlsAndWrap) {
  const std::vector<std::string> order = {"编辑框1", "按钮1", "编辑框2", "按钮2"};
  Control(order[0].c_str()).setFocus();
  ASSERT_EQ(QApplication::focusWidget(), &Control(order[0].c_str()));
  // Twice round, so the wrap is crossed in the middle of the walk.
  for (size_t step = 1; step <= 2 * order.size(); ++step) {
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    const std::string& expected = order[step % order.size()];
    ASSERT_EQ(QApplication::focusWidget()->objectName().toStdString(), expected)
        << "after Tab number " << step;
  }
  for (size_t step = 1; step <= 2 * order.size(); ++step) {
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ShiftModifier);
    const std::string& expected = order[(2 * order.size() - step) % order.size()];
    ASSERT_EQ(QApplication::focusWidget()->objectName().toStdString(), expected)
        << "after Shift+Tab number " << step;
  }
}

TEST_F(WindowTest, EnterF1AndSpaceOnTheButtons) {
  QLineEdit& playAddress = Control<QLineEdit>("编辑框2");
  // Enter and F1 anywhere start nothing: a Parse would at least write the bare prefix.
  Control<QLineEdit>("编辑框1").setText(QStringLiteral("no link in here"));
  for (const char* name : {"编辑框1", "按钮1", "编辑框2", "按钮2"}) {
    SCOPED_TRACE(name);
    Control(name).setFocus();
    for (Qt::Key key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_F1}) {
      QTest::keyClick(&Control(name), key);
      EXPECT_TRUE(playAddress.text().isEmpty()) << "key " << key;
      EXPECT_TRUE(window_.isVisible());
      EXPECT_EQ(QApplication::focusWidget(), &Control(name)) << "key " << key;
    }
  }
  // Space clicks the focused button.
  Control("按钮1").setFocus();
  QTest::keyClick(&Control("按钮1"), Qt::Key_Space);
  EXPECT_FALSE(playAddress.text().isEmpty());
}

// Esc closes the window whatever has the focus, and closing the last window ends the
// event loop with exit code 0.
TEST(WindowCloseTest, EscFromEveryFocusableControlEndsTheLoopWithZero) {
  for (const char* name : {"编辑框1", "按钮1", "编辑框2", "按钮2"}) {
    SCOPED_TRACE(name);
    MainWindow window;
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    QWidget* control = window.findChild<QWidget*>(QString::fromUtf8(name));
    ASSERT_NE(control, nullptr);
    control->setFocus();
    QTimer::singleShot(0, control, [control] { QTest::keyClick(control, Qt::Key_Escape); });
    // Ends a loop that Esc failed to end, with a code the check below rejects.
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, [] { QCoreApplication::exit(99); });
    guard.start(10000);
    EXPECT_EQ(QApplication::exec(), 0);
    EXPECT_FALSE(window.isVisible());
  }
}

}  // namespace
}  // namespace quolvane::testing
