// loopback_server: every HTTP scenario of the test suites on 127.0.0.1, as one native
// process that CTest starts before the suites and stops after them.
//
//   loopback_server start --base-port N --dir DIR [--lifetime SECONDS]
//       starts the servers in the background and returns once they answer
//   loopback_server stop --dir DIR
//   loopback_server run --base-port N --dir DIR [--lifetime SECONDS]
//       the same servers in the foreground, for a look by hand
//
// DIR (inside the build tree) holds the pid file, the server's and tinyproxy's logs
// and tinyproxy's configuration. The server ends by itself after its lifetime, so an
// interrupted test run leaves nothing behind for long.
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <type_traits>
#include <vector>

#include <httplib.h>

#include "tests/support/loopback.h"
#include "tests/support/loopback_server/certificates.h"
#include "tests/support/loopback_server/http_routes.h"
#include "tests/support/loopback_server/proxy_child.h"
#include "tests/support/loopback_server/raw_servers.h"

namespace quolvane::loopback_server {
namespace {

struct Settings {
  std::string command;
  int basePort = 0;
  std::string dir;
  long lifetimeSeconds = 3600;
};

std::string PidFile(const Settings& settings) {
  return settings.dir + "/server.pid";
}

bool ParseArguments(int argc, char** argv, Settings& settings) {
  if (argc < 2) return false;
  settings.command = argv[1];
  for (int i = 2; i + 1 < argc; i += 2) {
    std::string name = argv[i];
    std::string value = argv[i + 1];
    if (name == "--base-port") {
      settings.basePort = std::atoi(value.c_str());
    } else if (name == "--dir") {
      settings.dir = value;
    } else if (name == "--lifetime") {
      settings.lifetimeSeconds = std::atol(value.c_str());
    } else {
      return false;
    }
  }
  if (settings.dir.empty()) return false;
  if (settings.command == "stop") return true;
  return (settings.command == "start" || settings.command == "run") && settings.basePort > 0 &&
         settings.basePort + kLoopbackPortCount <= 65535;
}

// The pid in the pid file when that process is a running loopback_server, else 0: a
// stale file or a pid the system has since given to another program is left alone.
pid_t RunningServer(const Settings& settings) {
  std::ifstream in(PidFile(settings));
  pid_t pid = 0;
  if (!(in >> pid) || pid <= 0) return 0;
  std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
  std::string statText((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
  size_t close = statText.rfind(')');
  if (close == std::string::npos || close + 2 >= statText.size()) return 0;
  char state = statText[close + 2];
  if (state == 'Z' || state == 'X') return 0;
  if (statText.find("(loopback_server)") == std::string::npos) return 0;
  return pid;
}

int Stop(const Settings& settings) {
  pid_t pid = RunningServer(settings);
  if (pid == 0) {
    std::remove(PidFile(settings).c_str());
    return 0;
  }
  kill(pid, SIGTERM);
  for (int attempt = 0; attempt < 200 && RunningServer(settings) == pid; ++attempt) {
    std::this_thread::sleep_for(std::chrono::milliseconds(25));
  }
  if (RunningServer(settings) == pid) kill(pid, SIGKILL);
  std::remove(PidFile(settings).c_str());
  return 0;
}

template <typename ServerType>
bool Listen(ServerType& server, const char* host, int port, std::vector<std::thread>& threads,
            std::string& error) {
  if (!server.is_valid()) {
    error = "server on port " + std::to_string(port) + " did not initialise";
    return false;
  }
  InstallRoutes(server);
  if constexpr (std::is_same_v<ServerType, httplib::SSLServer>) {
    // The read timeout also bounds the TLS handshake. A client under valgrind loads
    // the system's CA bundle between connecting and its ClientHello, which can take
    // longer than httplib's 5 s.
    server.set_read_timeout(30, 0);
  }
  if (!server.bind_to_port(host, port)) {
    error = std::string(host) + " port " + std::to_string(port) + ": cannot bind (in use?)";
    return false;
  }
  threads.emplace_back([&server] { server.listen_after_bind(); });
  return true;
}

// Runs every server, reports "ok" or the reason of a failure on readyFd (when >= 0),
// then waits for SIGTERM or the end of its lifetime. Never returns.
[[noreturn]] void Run(const Settings& settings, int readyFd) {
  auto report = [readyFd](const std::string& message) {
    std::cerr << "loopback_server: " << message << std::endl;
    if (readyFd >= 0) {
      std::string line = message + "\n";
      (void)!write(readyFd, line.data(), line.size());
      close(readyFd);
    }
  };
  auto fail = [&report](const std::string& message) {
    report(message);
    _exit(1);
  };

  // Threads inherit this mask, so only sigtimedwait below sees the stop signals.
  sigset_t stopSignals;
  sigemptyset(&stopSignals);
  sigaddset(&stopSignals, SIGTERM);
  sigaddset(&stopSignals, SIGINT);
  sigaddset(&stopSignals, SIGHUP);
  pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
  signal(SIGPIPE, SIG_IGN);

  std::string error;
  CertificateSet certificates = MakeCertificates(error);
  if (!error.empty()) fail(error);

  auto port = [&settings](LoopbackPort which) {
    return settings.basePort + static_cast<int>(which);
  };
  std::vector<std::thread> threads;
  httplib::Server http;
  httplib::SSLServer https(certificates.good.get(), certificates.key.get());
  httplib::SSLServer wrongName(certificates.wrongName.get(), certificates.key.get());
  httplib::SSLServer expired(certificates.expired.get(), certificates.key.get());
  httplib::SSLServer wrongUsage(certificates.wrongUsage.get(), certificates.key.get());
  if (!Listen(http, kLoopbackHost, port(LoopbackPort::kHttp), threads, error) ||
      !Listen(https, kLoopbackHost, port(LoopbackPort::kHttps), threads, error) ||
      !Listen(wrongName, kLoopbackHost, port(LoopbackPort::kHttpsWrongName), threads, error) ||
      !Listen(expired, kLoopbackHost, port(LoopbackPort::kHttpsExpired), threads, error) ||
      !Listen(wrongUsage, kLoopbackHost, port(LoopbackPort::kHttpsWrongUsage), threads, error)) {
    fail(error);
  }
  // The plain server once more on the IPv6 loopback, same port. A system without IPv6
  // still runs every other suite; /_ipv6 tells the suites which case they are in.
  httplib::Server httpV6;
  std::string v6Error;
  if (Listen(httpV6, kLoopbackHostV6, port(LoopbackPort::kHttp), threads, v6Error)) {
    NoteIpv6Listener(kIpv6Listening);
  } else {
    std::cerr << "loopback_server: no IPv6 listener: " << v6Error << std::endl;
    NoteIpv6Listener("unavailable: " + v6Error);
  }
  const std::pair<RawScenario, LoopbackPort> raw[] = {
      {RawScenario::kEcho, LoopbackPort::kEcho},
      {RawScenario::kTrickle, LoopbackPort::kTrickle},
      {RawScenario::kSilent, LoopbackPort::kSilent},
      {RawScenario::kGarbage, LoopbackPort::kGarbage},
      {RawScenario::kTlsFailure, LoopbackPort::kTlsFailure},
  };
  for (const auto& [scenario, which] : raw) {
    if (!StartRawServer(scenario, port(which), error)) fail(error);
  }
  ProxyChild proxy;
  if (!proxy.Start(port(LoopbackPort::kProxy), settings.dir, error)) fail(error);

  {
    std::ofstream pidFile(PidFile(settings), std::ios::trunc);
    pidFile << getpid() << "\n";
  }
  report("ok: 127.0.0.1 ports " + std::to_string(settings.basePort) + "-" +
         std::to_string(settings.basePort + kLoopbackPortCount - 1) + ", pid " +
         std::to_string(getpid()));

  timespec lifetime{settings.lifetimeSeconds, 0};
  int received = sigtimedwait(&stopSignals, nullptr, &lifetime);
  std::cerr << "loopback_server: stopping ("
            << (received > 0 ? strsignal(received) : "lifetime over") << ")" << std::endl;
  proxy.Stop();
  std::remove(PidFile(settings).c_str());
  // The server threads block in accept and in endless responses; ending the process
  // is the clean way out of them.
  _exit(0);
}

int Start(const Settings& settings) {
  Stop(settings);  // a server left by an interrupted run
  int ready[2];
  if (pipe2(ready, O_CLOEXEC) != 0) {
    std::perror("loopback_server: pipe");
    return 1;
  }
  pid_t child = fork();
  if (child < 0) {
    std::perror("loopback_server: fork");
    return 1;
  }
  if (child == 0) {
    close(ready[0]);
    setsid();
    // CTest waits for the fixture's output pipes to close: the server must not hold them.
    int devNull = open("/dev/null", O_RDONLY);
    int log = open((settings.dir + "/server.log").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (devNull >= 0) dup2(devNull, STDIN_FILENO);
    if (log >= 0) {
      dup2(log, STDOUT_FILENO);
      dup2(log, STDERR_FILENO);
    }
    Run(settings, ready[1]);
  }
  close(ready[1]);
  std::string answer;
  char buffer[512];
  ssize_t got = 0;
  while ((got = read(ready[0], buffer, sizeof buffer)) > 0) {
    answer.append(buffer, static_cast<size_t>(got));
  }
  close(ready[0]);
  if (answer.rfind("ok", 0) == 0) {
    std::cout << "loopback_server: " << answer;
    return 0;
  }
  std::cerr << "loopback_server: start failed: "
            << (answer.empty() ? "the server ended without a word\n" : answer)
            << "(log: " << settings.dir << "/server.log)\n";
  return 1;
}

}  // namespace
}  // namespace quolvane::loopback_server

int main(int argc, char** argv) {
  using namespace quolvane::loopback_server;
  Settings settings;
  if (!ParseArguments(argc, argv, settings)) {
    std::cerr << "usage: loopback_server start|run --base-port N --dir DIR [--lifetime S]\n"
                 "       loopback_server stop --dir DIR\n";
    return 2;
  }
  mkdir(settings.dir.c_str(), 0755);
  if (settings.command == "stop") return Stop(settings);
  if (settings.command == "start") return Start(settings);
  Run(settings, -1);
}
