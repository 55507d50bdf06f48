// The Download button end to end: a recording xdg-open first on PATH shows what the
// desktop would have been handed.
#include <gtest/gtest.h>

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <optional>
#include <string>
#include <vector>

#include "app/resolve.h"
#include "tests/app/window/shown_window.h"

namespace quolvane::testing {
namespace {

// Each call writes its arguments, each ended by a zero byte, into a file of its own.
constexpr char kRecorder[] = R"(#!/bin/sh
out="$(dirname "$0")/call.$$"
printf '%s\0' "$@" > "$out.part" && mv "$out.part" "$out"
)";

class DownloadTest : public ShownWindow {
 protected:
  static void SetUpTestSuite() {
    binDir_.emplace();
    ASSERT_TRUE(binDir_->isValid());
    QFile script(binDir_->filePath(QStringLiteral("xdg-open")));
    ASSERT_TRUE(script.open(QIODevice::WriteOnly));
    script.write(kRecorder);
    script.close();
    script.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    savedPath_ = qgetenv("PATH");
    qputenv("PATH", binDir_->path().toLocal8Bit() + ":" + savedPath_);
  }
  static void TearDownTestSuite() {
    qputenv("PATH", savedPath_);
    binDir_.reset();
  }

  static QStringList Calls() {
    return QDir(binDir_->path())
        .entryList({QStringLiteral("call.*")}, QDir::Files, QDir::Name)
        .filter(QRegularExpression(QStringLiteral("^call\\.\\d+$")));
  }

  // The arguments of the one call that arrives within a generous time, or nullopt.
  static std::optional<std::vector<std::string>> NextCall() {
    const QDeadlineTimer deadline(20000);
    QStringList calls;
    while ((calls = Calls()).isEmpty() && !deadline.hasExpired()) QTest::qWait(20);
    if (calls.isEmpty()) return std::nullopt;
    EXPECT_EQ(calls.size(), 1) << "more calls than clicks";
    QFile file(binDir_->filePath(calls.first()));
    if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
    const QByteArray bytes = file.readAll();
    file.close();
    file.remove();
    std::vector<std::string> arguments;
    for (qsizetype start = 0; start < bytes.size();) {
      const qsizetype end = bytes.indexOf('\0', start);
      if (end < 0) break;
      arguments.emplace_back(bytes.constData() + start, static_cast<size_t>(end - start));
      start = end + 1;
    }
    return arguments;
  }

  static inline std::optional<QTemporaryDir> binDir_;
  static inline QByteArray savedPath_;
};

TEST_F(DownloadTest, HandsOverExactlyTheTextOfTheSecondBox) {
  enum Entry { kByParse, kTyped, kSet };
  struct Case {
    const char* what;
    Entry entry;
    std::u16string text;
    std::string handedOver;  // UTF-8
  };
  const Case cases[] = {
      // A share text without a link resolves to the bare prefix.
      {"written by Parse", kByParse, u"", kPlayAddressPrefix},
      {"typed by hand", kTyped, u"https://example.com/视频?q=a b&r=1",
       "https://example.com/视频?q=a b&r=1"},
      {"empty", kSet, u"", ""},
      // What code page 936 cannot hold arrives as "?", as on Windows.
      {"beyond code page 936", kTyped, u"https://example.com/가/€", "https://example.com/?/€"},
      {"never through a shell", kSet, u"$(touch pwned) `id` 'a\"b; *",
       "$(touch pwned) `id` 'a\"b; *"},
      {"dash inside", kSet, u"a -b --c", "a -b --c"},
  };
  QLineEdit& box = Control<QLineEdit>("编辑框2");
  QPushButton& download = Control<QPushButton>("按钮2");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    switch (c.entry) {
      case kByParse:
        Control<QLineEdit>("编辑框1").setText(QStringLiteral("no link here"));
        QTest::mouseClick(&Control<QPushButton>("按钮1"), Qt::LeftButton);
        break;
      case kTyped:
        box.clear();
        box.setFocus();
        Type(box, QString::fromStdU16String(c.text));
        break;
      case kSet:
        box.setText(QString::fromStdU16String(c.text));
        break;
    }
    const QString before = box.text();
    if (c.entry == kTyped) {
      // From the keyboard as well: Tab to the button, Space clicks it.
      QTest::keyClick(&box, Qt::Key_Tab);
      ASSERT_EQ(QApplication::focusWidget(), &download);
      QTest::keyClick(&download, Qt::Key_Space);
    } else {
      QTest::mouseClick(&download, Qt::LeftButton);
    }
    const auto call = NextCall();
    ASSERT_TRUE(call.has_value()) << "xdg-open was not started";
    EXPECT_EQ(*call, std::vector<std::string>{c.handedOver});
    EXPECT_EQ(box.text(), before) << "Download changes nothing in the window";
  }
  EXPECT_FALSE(QFile::exists(QDir::current().filePath(QStringLiteral("pwned"))));
}

TEST_F(DownloadTest, TextsThatXdgOpenWouldTakeForOptionsAreNotHandedOver) {
  QLineEdit& box = Control<QLineEdit>("编辑框2");
  QPushButton& download = Control<QPushButton>("按钮2");
  for (const char* text : {"-", "--help", "--version https://example.com/", "-x"}) {
    SCOPED_TRACE(text);
    box.setText(QString::fromUtf8(text));
    QTest::mouseClick(&download, Qt::LeftButton);
    // A later ordinary click is recorded alone: the one before it started nothing.
    box.setText(QStringLiteral("https://example.com/after"));
    QTest::mouseClick(&download, Qt::LeftButton);
    const auto call = NextCall();
    ASSERT_TRUE(call.has_value());
    EXPECT_EQ(*call, std::vector<std::string>{"https://example.com/after"});
  }
  QTest::qWait(200);
  EXPECT_TRUE(Calls().isEmpty());
}

}  // namespace
}  // namespace quolvane::testing
