// The Parse button against the loopback servers: what the window writes, and that
// Enter in the share-text box asks the server nothing.
#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <string>

#include "app/resolve.h"
#include "common/codepage.h"
#include "tests/app/window/shown_window.h"
#include "tests/support/loopback.h"
#include "web/web_request.h"

namespace quolvane::testing {
namespace {

constexpr char kIdentifier[] = "v0d00fg10000cq5b3ljc77u2a0test1x";  // 32 word characters

std::string PageUrl(const std::string& token, const std::string& body) {
  return LoopbackUrl("/text?t=" + token + "&body=" + LoopbackQueryEncode(body));
}

size_t RequestsSeen(const std::string& token) {
  const Bytes log = WebRequest(Text(LoopbackUrl("/_log/" + token)));
  return ParseLog(log.AsChars()).size();
}

using ParseTest = ShownWindow;

TEST_F(ParseTest, WritesThePlayAddressOfThePageBehindTheShareText) {
  struct Case {
    const char* what;
    std::string page;  // empty: the share text has no link
    std::string playAddress;
  };
  const std::string prefix = kPlayAddressPrefix;
  const Case cases[] = {
      {"identifier in the page",
       std::string(R"({"play_addr":{"uri":")") + kIdentifier + R"(","url_list":[]}})",
       prefix + kIdentifier},
      {"no uri key in the page", R"({"play_addr":{"url":"nothing here"}})", prefix},
      {"no link in the share text", "", prefix},
  };
  QLineEdit& shareBox = Control<QLineEdit>("编辑框1");
  QLineEdit& playBox = Control<QLineEdit>("编辑框2");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string token = LoopbackToken();
    // As the app shares it: Chinese around the link, which ends at the first space.
    std::string share = "7.43 复制打开抖音，看看【测试视频】 ";
    if (!c.page.empty()) share += PageUrl(token, c.page) + " 复制此链接";
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
