// The desktop's opener stands in for the Windows shell: xdg-open gets the address as
// its one argument, straight from posix_spawnp, never through a shell.
//
// No zombie may stay and nothing may wait for the browser, so xdg-open runs under
// `setsid --fork` (util-linux, always there on Debian): setsid forks and its parent
// exits at once, which is the only child this process ever has and is reaped right
// here; xdg-open goes on as an orphan in a session of its own, adopted and reaped by
// init or the session's subreaper, and survives a closed terminal. No SIGCHLD handler
// and no thread, so nothing of Qt's child handling is touched.
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <cerrno>
#include <string>

#include "app/window/shell.h"
#include "common/codepage.h"

extern char** environ;

namespace quolvane {
namespace {

class SpawnAttributes {
 public:
  SpawnAttributes() {
    posix_spawnattr_init(&attributes_);
    // The child starts with default dispositions and nothing blocked, whatever the
    // GUI toolkit set up in this process.
    sigset_t all;
    sigset_t none;
    sigfillset(&all);
    sigemptyset(&none);
    posix_spawnattr_setsigdefault(&attributes_, &all);
    posix_spawnattr_setsigmask(&attributes_, &none);
    posix_spawnattr_setflags(&attributes_, POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK);
  }
  ~SpawnAttributes() { posix_spawnattr_destroy(&attributes_); }
  SpawnAttributes(const SpawnAttributes&) = delete;
  SpawnAttributes& operator=(const SpawnAttributes&) = delete;

  [[nodiscard]] const posix_spawnattr_t* Get() const { return &attributes_; }

 private:
  posix_spawnattr_t attributes_;
};

}  // namespace

void OpenInShell(const Text& address) {
  // xdg-open would read it as an option of its own.
  if (address.View().starts_with('-')) return;

  std::string setsid = "setsid";
  std::string fork = "--fork";
  std::string opener = "xdg-open";
  std::string argument = AnsiToUtf8(address);  // the empty text stays an empty argument
  char* argv[] = {setsid.data(), fork.data(), opener.data(), argument.data(), nullptr};

  const SpawnAttributes attributes;
  pid_t child = 0;
  if (posix_spawnp(&child, setsid.c_str(), nullptr, attributes.Get(), argv, environ) != 0) {
    return;  // the result is not examined, as with the Windows shell
  }
  while (waitpid(child, nullptr, 0) < 0 && errno == EINTR) {
  }
}

}  // namespace quolvane
