#include "app/window/main_window.h"

#include <QApplication>
#include <QFontDatabase>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <limits>
#include <string>

#include "app/resolve.h"
#include "app/window/layout.h"
#include "app/window/shell.h"
#include "common/codepage.h"

namespace quolvane {
namespace {

QString ToQString(std::u16string_view text) {
  return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}

// The boxes hold Unicode; the handlers work on ANSI text, converted as on Windows so
// that what cannot be mapped becomes "?".
Text ReadText(const QLineEdit& box) {
  return WideToAnsi(box.text().toStdU16String());
}

void WriteText(QLineEdit& box, const Text& text) {
  box.setText(QString::fromStdU16String(AnsiToWide(text.View())));
}

class BusyCursor {
 public:
  BusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
  ~BusyCursor() { QApplication::restoreOverrideCursor(); }
  BusyCursor(const BusyCursor&) = delete;
  BusyCursor& operator=(const BusyCursor&) = delete;
};

QIcon ProgramIcon() {
  QIcon icon;
  for (int size : {16, 24, 32, 48, 64, 128, 256}) {
    icon.addFile(QStringLiteral(":/quolvane/icon/quolvane-%1.png").arg(size), QSize(size, size));
  }
  return icon;
}

std::unique_ptr<QWidget> MakeEditBox(QWidget* parent) {
  auto box = std::make_unique<QLineEdit>(parent);
  // No limit of the program's own: Qt's default stops at 32767 characters.
  box->setMaxLength(std::numeric_limits<int>::max());
  // Selection hidden while the window is inactive; Qt drops it on every other focus loss.
  QPalette palette = box->palette();
  palette.setColor(QPalette::Inactive, QPalette::Highlight,
                   palette.color(QPalette::Inactive, QPalette::Base));
  palette.setColor(QPalette::Inactive, QPalette::HighlightedText,
                   palette.color(QPalette::Inactive, QPalette::Text));
  box->setPalette(palette);
  return box;
}

std::unique_ptr<QWidget> MakeButton(QWidget* parent, const QString& text) {
  auto button = std::make_unique<QPushButton>(text, parent);
  button->setAutoDefault(false);
  button->setDefault(false);
  return button;
}

std::unique_ptr<QWidget> MakeLabel(QWidget* parent, const QString& text) {
  auto label = std::make_unique<QLabel>(text, parent);
  // Like a plain static control: top-left text that wraps, no focus, clicks pass through.
  label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  label->setWordWrap(true);
  label->setFocusPolicy(Qt::NoFocus);
  label->setTextInteractionFlags(Qt::NoTextInteraction);
  label->setAttribute(Qt::WA_TransparentForMouseEvents);
  return label;
}

}  // namespace

MainWindow::MainWindow() {
  // A caption, the system menu, minimise and close; no maximise, and with a fixed
  // size the border cannot resize it either.
  setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                 Qt::WindowCloseButtonHint);
  setWindowTitle(ToQString(layout::kCaption));
  setWindowIcon(ProgramIcon());
  setFont(QFontDatabase::systemFont(QFontDatabase::GeneralFont));
  setFixedSize(layout::kClientWidth, layout::kClientHeight);

  for (const layout::Control& control : layout::kControls) {
    const QString text = ToQString(control.text);
    std::unique_ptr<QWidget> widget;
    switch (control.kind) {
      case layout::ControlKind::EditBox:
        widget = MakeEditBox(this);
        break;
      case layout::ControlKind::Button:
        widget = MakeButton(this, text);
        break;
      case layout::ControlKind::Label:
        widget = MakeLabel(this, text);
        break;
    }
    widget->setObjectName(
        QString::fromUtf8(control.name.data(), static_cast<qsizetype>(control.name.size())));
    widget->setGeometry(control.left, control.top, control.width, control.height);
    controls_.push_back(std::move(widget));
  }
  shareTextBox_ = static_cast<QLineEdit*>(controls_[layout::kShareTextBox].get());
  playAddressBox_ = static_cast<QLineEdit*>(controls_[layout::kPlayAddressBox].get());

  // The focusable controls in table order form the whole Tab chain, which wraps.
  QWidget* previous = nullptr;
  for (size_t i = 0; i < layout::kControls.size(); ++i) {
    if (!layout::kControls[i].takesFocus) continue;
    if (previous != nullptr) QWidget::setTabOrder(previous, controls_[i].get());
    previous = controls_[i].get();
  }
  shareTextBox_->setFocus();

  QObject::connect(static_cast<QPushButton*>(controls_[layout::kParseButton].get()),
                   &QPushButton::clicked, this, [this] { OnParseClicked(); });
  QObject::connect(static_cast<QPushButton*>(controls_[layout::kDownloadButton].get()),
                   &QPushButton::clicked, this, [this] { OnDownloadClicked(); });

  // A window-wide shortcut sees Esc before the focused control does.
  closeKey_ = std::make_unique<QShortcut>(QKeySequence(Qt::Key_Escape), this);
  QObject::connect(closeKey_.get(), &QShortcut::activated, this, [this] { close(); });

  // The frame's origin, as Windows places the outer window.
  const QSize screen = QGuiApplication::primaryScreen()->size();
  const layout::Point origin = layout::CentredOrigin(screen.width(), screen.height());
  move(origin.x, origin.y);
}

MainWindow::~MainWindow() = default;

void MainWindow::OnParseClicked() {
  const BusyCursor busy;
  const Text shareText = ReadText(*shareTextBox_);
  WriteText(*playAddressBox_, ResolveShareText(shareText));
}

void MainWindow::OnDownloadClicked() {
  OpenInShell(ReadText(*playAddressBox_));
}

}  // namespace quolvane
