// The Parse button against the loopback servers: what the window writes, and that
// Enter in the share-text box asks the server nothing.
#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <string>

#include "app/resolve.h"
#include "common/codepage.h"
#include "tests/app/window/parse_cases.h"
#include "tests/app/window/shown_window.h"
#include "tests/support/loopback.h"
#include "web/web_request.h"

namespace quolvane::testing {
namespace {

using ParseTest = ShownWindow;

TEST_F(ParseTest, WritesThePlayAddressOfThePageBehindTheShareText) {
  QLineEdit& shareBox = Control<QLineEdit>("编辑框1");
  QLineEdit& playBox = Control<QLineEdit>("编辑框2");
  for (const ParseCase& c : ParseCases()) {
    SCOPED_TRACE(c.what);
    const std::string token = LoopbackToken();
    const std::string share = ShareTextFor(token, c);
    shareBox.setText(QString::fromStdString(share));
    playBox.setText(QStringLiteral("left over from before"));

    QTest::mouseClick(&Control<QPushButton>("按钮1"), Qt::LeftButton);
    EXPECT_EQ(playBox.text().toStdString(), c.playAddress);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr) << "the busy cursor stayed";
    EXPECT_EQ(shareBox.text().toStdString(), share) << "Parse only reads the share text";
    if (!c.page.empty()) {
      EXPECT_EQ(RequestsSeen(token), 1u);
    }
  }
}

TEST_F(ParseTest, EnterInTheShareTextBoxAsksTheServerNothing) {
  const std::string token = LoopbackToken();
  const std::string page = std::string(R"("uri":")") + kIdentifier + "\"";
  QLineEdit& shareBox = Control<QLineEdit>("编辑框1");
  shareBox.setText(QString::fromStdString(PageUrl(token, page)));
  shareBox.setFocus();
  QTest::keyClick(&shareBox, Qt::Key_Return);
  QTest::keyClick(&shareBox, Qt::Key_Enter);
  QTest::qWait(50);
  EXPECT_EQ(RequestsSeen(token), 0u);
  EXPECT_TRUE(Control<QLineEdit>("编辑框2").text().isEmpty());

  // The same text through the button does reach the server, so the count above is real.
  QTest::mouseClick(&Control<QPushButton>("按钮1"), Qt::LeftButton);
  EXPECT_EQ(RequestsSeen(token), 1u);
  EXPECT_EQ(Control<QLineEdit>("编辑框2").text().toStdString(),
            std::string(kPlayAddressPrefix) + kIdentifier);
}

}  // namespace
}  // namespace quolvane::testing
