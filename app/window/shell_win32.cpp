// The Windows shell opens the address with the user's default handler for it.
//
// The wide call gets the address as code page 936 reads it, which is what the ANSI call
// hands on to it on a system whose ANSI code page is 936; elsewhere the wide call still
// keeps the Chinese characters that the ANSI one would turn into "?".
#include "automation/win32/windows_api.h"
// windows.h first: shellapi.h needs its types.
#include <shellapi.h>

#include <string>

#include "app/window/shell.h"
#include "common/codepage.h"

namespace quolvane {

void OpenInShell(const Text& address) {
  const std::u16string wide = AnsiToWide(address.View());
  const std::wstring file(wide.begin(), wide.end());  // an empty address stays ""
  // No owner window, no parameters, no directory; the result is not examined.
  ShellExecuteW(nullptr, L"open", file.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

}  // namespace quolvane
