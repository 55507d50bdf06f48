// The program: OLE on the GUI thread, the one window and its message loop. It takes no
// command line.
#include "automation/win32/windows_api.h"
// windows.h first: commctrl.h needs its types.
#include <commctrl.h>

#include "app/window/window_win32.h"
#include "automation/apartment.h"
#include "components/register.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand) {
  const quolvane::OleSession ole;
  quolvane::RegisterBuiltinComponents();
  // The manifest asks for version 6 of the common controls; this loads them, so the
  // standard controls below are created from that version's classes.
  INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);

  quolvane::MainWindow window(instance);
  window.Show(showCommand);
  MSG message{};
  BOOL got = 0;
  while ((got = GetMessageW(&message, nullptr, 0, 0)) != 0) {
    if (got == -1) return 1;
    if (window.TakeKeyboardMessage(message)) continue;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  // The window's destruction posted the quit message with its exit code.
  return static_cast<int>(message.wParam);
}
