// tinyproxy as a child of the server: its configuration and log live in the server's
// directory, it listens on 127.0.0.1 only, and it goes when the server goes.
#pragma once

#include <sys/types.h>

#include <string>

namespace quolvane::loopback_server {

class ProxyChild {
 public:
  ProxyChild() = default;
  ProxyChild(const ProxyChild&) = delete;
  ProxyChild& operator=(const ProxyChild&) = delete;
  ~ProxyChild() { Stop(); }

  // Starts tinyproxy and waits until it accepts connections.
  bool Start(int port, const std::string& dir, std::string& error);
  void Stop();

 private:
  pid_t pid_ = -1;
};

}  // namespace quolvane::loopback_server
