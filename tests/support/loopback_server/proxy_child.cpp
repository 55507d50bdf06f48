#include "tests/support/loopback_server/proxy_child.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <thread>

#include "tests/support/loopback.h"

namespace quolvane::loopback_server {
namespace {

bool Accepts(int port) {
  int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return false;
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<uint16_t>(port));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  bool connected = connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
  close(fd);
  return connected;
}

}  // namespace

bool ProxyChild::Start(int port, const std::string& dir, std::string& error) {
  const std::string config = dir + "/tinyproxy.conf";
  const std::string log = dir + "/tinyproxy.log";
  {
    std::ofstream out(config, std::ios::trunc);
    out << "Port " << port << "\n"
        << "Listen 127.0.0.1\n"
        << "Allow 127.0.0.1\n"
        << "Timeout 60\n"
        << "MaxClients 100\n"
        << "BasicAuth " << kProxyUser << " " << kProxyPassword << "\n"
        << "DisableViaHeader Yes\n"
        << "LogFile \"" << log << "\"\n"
        << "LogLevel Info\n";
    if (!out) {
      error = "cannot write " + config;
      return false;
    }
  }
  pid_t parent = getpid();
  pid_t child = fork();
  if (child < 0) {
    error = "fork failed";
    return false;
  }
  if (child == 0) {
    // Goes with the server even when the server is killed outright.
    prctl(PR_SET_PDEATHSIG, SIGTERM);
    if (getppid() != parent) _exit(1);
    sigset_t none;
    sigemptyset(&none);
    sigprocmask(SIG_SETMASK, &none, nullptr);
    int output = open(log.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
    if (output >= 0) {
      dup2(output, STDOUT_FILENO);
      dup2(output, STDERR_FILENO);
    }
    execlp("tinyproxy", "tinyproxy", "-d", "-c", config.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  pid_ = child;
  for (int attempt = 0; attempt < 100; ++attempt) {
    if (Accepts(port)) return true;
    int status = 0;
    if (waitpid(pid_, &status, WNOHANG) == pid_) {
      pid_ = -1;
      error = "tinyproxy ended at start (see " + log + ")";
      return false;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  error = "tinyproxy does not accept connections on port " + std::to_string(port);
  Stop();
  return false;
}

void ProxyChild::Stop() {
  if (pid_ <= 0) return;
  kill(pid_, SIGTERM);
  for (int attempt = 0; attempt < 50; ++attempt) {
    if (waitpid(pid_, nullptr, WNOHANG) == pid_) {
      pid_ = -1;
      return;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  kill(pid_, SIGKILL);
  waitpid(pid_, nullptr, 0);
  pid_ = -1;
}

}  // namespace quolvane::loopback_server
