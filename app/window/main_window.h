// MainWindow on Qt Widgets: the table of layout.h placed in a fixed-size window, the
// window's own keys, and the two click handlers.
#pragma once

#include <QWidget>
#include <memory>
#include <vector>

class QLineEdit;
class QShortcut;

namespace quolvane {

class MainWindow : public QWidget {
 public:
  MainWindow();
  ~MainWindow() override;

  // Share text of 编辑框1 -> play address in 编辑框2; blocks until the resolution ends.
  void OnParseClicked();
  // Hands the text of 编辑框2, whatever it is, to the desktop.
  void OnDownloadClicked();

 private:
  // Owned here rather than through Qt's parent list; destroyed before QWidget's
  // destructor looks at its children, which are then gone.
  std::vector<std::unique_ptr<QWidget>> controls_;
  std::unique_ptr<QShortcut> closeKey_;
  QLineEdit* shareTextBox_ = nullptr;
  QLineEdit* playAddressBox_ = nullptr;
};

}  // namespace quolvane
