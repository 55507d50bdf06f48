#include "tests/support/host.h"

#include <windows.h>

#include <memory>

namespace quolvane {

bool RunningUnderWine() {
  static const bool wine = [] {
    HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
  }();
  return wine;
}

std::string HostPath(const std::string& buildPath) {
  if (buildPath.empty() || buildPath[0] != '/' || !RunningUnderWine()) return buildPath;
  // Wine's kernel32 maps a Unix path to its drive path; the result is on the process heap.
  using ToDos = WCHAR*(CDECL*)(const char*);
  auto toDos = reinterpret_cast<ToDos>(reinterpret_cast<void (*)()>(
      GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_dos_file_name")));
  if (toDos == nullptr) return buildPath;
  auto heapFree = [](WCHAR* p) { HeapFree(GetProcessHeap(), 0, p); };
  std::unique_ptr<WCHAR, decltype(heapFree)> dos(toDos(buildPath.c_str()), heapFree);
  if (!dos) return buildPath;
  int size = WideCharToMultiByte(CP_UTF8, 0, dos.get(), -1, nullptr, 0, nullptr, nullptr);
  if (size <= 1) return buildPath;
  std::string path(static_cast<size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, dos.get(), -1, path.data(), size, nullptr, nullptr);
  path.pop_back();  // the terminating zero
  return path;
}

}  // namespace quolvane
