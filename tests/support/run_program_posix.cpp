#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <chrono>
#include <csignal>

#include "tests/support/run_program.h"

extern char** environ;

namespace quolvane::testing_support {
namespace {

struct Pipe {
  int fds[2] = {-1, -1};
  Pipe() {
    if (pipe(fds) != 0) fds[0] = fds[1] = -1;
  }
  ~Pipe() {
    for (int fd : fds) {
      if (fd >= 0) close(fd);
    }
  }
  Pipe(const Pipe&) = delete;
  Pipe& operator=(const Pipe&) = delete;
  void Close(int end) {
    if (fds[end] >= 0) close(fds[end]);
    fds[end] = -1;
  }
};

}  // namespace

ProgramRun RunProgram(const std::string& path, const std::vector<std::string>& args,
                      const std::string& input, bool closeStdout, int watchdogSeconds) {
  std::signal(SIGPIPE, SIG_IGN);
  Pipe in, out, err;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, in.fds[0], 0);
  posix_spawn_file_actions_adddup2(&actions, out.fds[1], 1);
  posix_spawn_file_actions_adddup2(&actions, err.fds[1], 2);
  for (Pipe* p : {&in, &out, &err}) {
    posix_spawn_file_actions_addclose(&actions, p->fds[0]);
    posix_spawn_file_actions_addclose(&actions, p->fds[1]);
  }
  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(path.c_str()));
  for (const auto& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);
  pid_t pid = 0;
  int spawned = posix_spawn(&pid, path.c_str(), &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  ProgramRun run;
  if (spawned != 0) return run;
  in.Close(0);
  out.Close(1);
  err.Close(1);
  if (closeStdout) out.Close(0);

  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(watchdogSeconds);
  size_t written = 0;
  if (input.empty()) in.Close(1);
  for (;;) {
    std::array<pollfd, 3> fds{
        {{in.fds[1], POLLOUT, 0}, {out.fds[0], POLLIN, 0}, {err.fds[0], POLLIN, 0}}};
    if (fds[0].fd < 0 && fds[1].fd < 0 && fds[2].fd < 0) break;
    int waitMs = -1;
    if (watchdogSeconds > 0) {
      auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                      deadline - std::chrono::steady_clock::now())
                      .count();
      if (left <= 0) {
        kill(pid, SIGKILL);
        run.killed = true;
        break;
      }
      waitMs = static_cast<int>(left);
    }
    if (poll(fds.data(), fds.size(), waitMs) < 0 && errno != EINTR) break;
    if (fds[0].revents != 0) {
      ssize_t n = write(in.fds[1], input.data() + written, input.size() - written);
      if (n > 0) written += static_cast<size_t>(n);
      if (n <= 0 || written == input.size()) in.Close(1);
    }
    for (int i = 1; i <= 2; ++i) {
      if (fds[static_cast<size_t>(i)].revents == 0) continue;
      char buffer[65536];
      Pipe& pipe = i == 1 ? out : err;
      ssize_t n = read(pipe.fds[0], buffer, sizeof buffer);
      if (n <= 0) {
        pipe.Close(0);
      } else {
        (i == 1 ? run.out : run.err).append(buffer, static_cast<size_t>(n));
      }
    }
  }
  int status = 0;
  while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  if (WIFEXITED(status)) run.exitStatus = WEXITSTATUS(status);
  return run;
}

}  // namespace quolvane::testing_support
