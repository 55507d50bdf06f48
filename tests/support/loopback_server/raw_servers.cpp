#include "tests/support/loopback_server/raw_servers.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <string_view>
#include <thread>

#include "tests/support/loopback_server/request_log.h"

namespace quolvane::loopback_server {
namespace {

constexpr size_t kMaxHead = 1 << 20;
constexpr size_t kMaxEchoBody = 16 << 20;

class Socket {
 public:
  explicit Socket(int fd) : fd_(fd) {}
  Socket(Socket&& other) noexcept : fd_(other.fd_) { other.fd_ = -1; }
  Socket(const Socket&) = delete;
  Socket& operator=(const Socket&) = delete;
  Socket& operator=(Socket&&) = delete;
  ~Socket() {
    if (fd_ >= 0) close(fd_);
  }
  [[nodiscard]] int Fd() const { return fd_; }

 private:
  int fd_;
};

bool SendAll(int fd, std::string_view data) {
  while (!data.empty()) {
    ssize_t sent = send(fd, data.data(), data.size(), MSG_NOSIGNAL);
    if (sent < 0 && errno == EINTR) continue;
    if (sent <= 0) return false;
    data.remove_prefix(static_cast<size_t>(sent));
  }
  return true;
}

// Reads until the blank line that ends the head; head gets everything read so far,
// which may include the start of the body. Returns the length of the head, or 0.
size_t ReadHead(int fd, std::string& head) {
  char buffer[8192];
  while (head.size() < kMaxHead) {
    size_t end = head.find("\r\n\r\n");
    if (end != std::string::npos) return end + 4;
    ssize_t got = recv(fd, buffer, sizeof buffer, 0);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return 0;
    head.append(buffer, static_cast<size_t>(got));
  }
  return 0;
}

std::string HeaderOf(std::string_view head, std::string_view wanted) {
  size_t pos = head.find("\r\n");
  while (pos != std::string_view::npos && pos + 2 < head.size()) {
    size_t start = pos + 2;
    size_t end = head.find("\r\n", start);
    if (end == std::string_view::npos) break;
    std::string_view line = head.substr(start, end - start);
    size_t colon = line.find(':');
    if (colon != std::string_view::npos && colon == wanted.size()) {
      bool same = true;
      for (size_t i = 0; i < colon; ++i) {
        if (std::tolower(static_cast<unsigned char>(line[i])) !=
            std::tolower(static_cast<unsigned char>(wanted[i]))) {
          same = false;
        }
      }
      if (same) {
        std::string_view value = line.substr(colon + 1);
        while (!value.empty() && value.front() == ' ') value.remove_prefix(1);
        return std::string(value);
      }
    }
    pos = end;
  }
  return {};
}

// Reads the rest of a body of the given length; a chunked body is read up to its
// final empty chunk and kept as it came.
void ReadBody(int fd, std::string& request, size_t headLength) {
  std::string_view head(request.data(), headLength);
  std::string length = HeaderOf(head, "Content-Length");
  bool chunked = HeaderOf(head, "Transfer-Encoding").find("chunked") != std::string::npos;
  size_t wanted = 0;
  if (!length.empty()) {
    wanted = std::min<size_t>(std::strtoull(length.c_str(), nullptr, 10), kMaxEchoBody);
  }
  char buffer[16384];
  while (request.size() - headLength < kMaxEchoBody) {
    if (chunked) {
      if (request.find("\r\n0\r\n\r\n", headLength > 2 ? headLength - 2 : 0) != std::string::npos) {
        return;
      }
    } else if (request.size() - headLength >= wanted) {
      return;
    }
    ssize_t got = recv(fd, buffer, sizeof buffer, 0);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return;
    request.append(buffer, static_cast<size_t>(got));
  }
}

std::string_view TargetOf(std::string_view head) {
  size_t first = head.find(' ');
  size_t second = first == std::string_view::npos ? first : head.find(' ', first + 1);
  if (second == std::string_view::npos) return {};
  return head.substr(first + 1, second - first - 1);
}

void Echo(Socket client) {
  std::string request;
  size_t headLength = ReadHead(client.Fd(), request);
  if (headLength == 0) return;
  ReadBody(client.Fd(), request, headLength);
  std::string_view target = TargetOf(request);
  RecordRequest(target, request.substr(0, headLength - 2));
  if (target.substr(0, 4) == "/hop") {
    size_t query = target.find('?');
    std::string location =
        "/echo" + std::string(query == std::string_view::npos ? "" : target.substr(query));
    SendAll(client.Fd(), "HTTP/1.1 302 Found\r\nLocation: " + location +
                             "\r\nContent-Length: 0\r\nConnection: close\r\n\r\n");
    return;
  }
  bool head = request.compare(0, 5, "HEAD ") == 0;
  std::string response =
      "HTTP/1.1 200 OK\r\nContent-Type: application/octet-stream\r\n"
      "Content-Length: " +
      std::to_string(request.size()) + "\r\nConnection: close\r\n\r\n";
  if (!head) response += request;
  SendAll(client.Fd(), response);
}

void Trickle(Socket client) {
  std::string request;
  if (ReadHead(client.Fd(), request) == 0) return;
  bool trickleHead = TargetOf(request).substr(0, 5) == "/head";
  if (trickleHead) {
    if (!SendAll(client.Fd(), "HTTP/1.1 200 OK\r\nX-Trickle: ")) return;
  } else if (!SendAll(client.Fd(),
                      "HTTP/1.1 200 OK\r\nContent-Type: text/plain\r\n"
                      "Content-Length: 100000\r\n\r\n")) {
    return;
  }
  // Ends when the client has gone: the send after its close fails.
  for (int i = 0; i < 100000; ++i) {
    std::this_thread::sleep_for(std::chrono::seconds(1));
    if (!SendAll(client.Fd(), "a")) return;
  }
}

void Silent(Socket client) {
  char buffer[4096];
  while (true) {
    ssize_t got = recv(client.Fd(), buffer, sizeof buffer, 0);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return;
  }
}

void Garbage(Socket client) {
  std::string request;
  ReadHead(client.Fd(), request);
  static constexpr char kGarbage[] =
      "SSH-2.0-NotHttp\r\n\x01\x02\x03 this is not an HTTP response \xff\xfe\r\n\r\n";
  SendAll(client.Fd(), std::string_view(kGarbage, sizeof kGarbage - 1));
  shutdown(client.Fd(), SHUT_WR);
}

void TlsFailure(Socket client) {
  char buffer[4096];
  if (recv(client.Fd(), buffer, sizeof buffer, 0) <= 0) return;
  // A fatal handshake_failure alert record, as a server with no common cipher sends.
  static constexpr char kAlert[] = {0x15, 0x03, 0x03, 0x00, 0x02, 0x02, 0x28};
  SendAll(client.Fd(), std::string_view(kAlert, sizeof kAlert));
  shutdown(client.Fd(), SHUT_WR);
}

void Serve(RawScenario scenario, Socket client) {
  switch (scenario) {
    case RawScenario::kEcho:
      return Echo(std::move(client));
    case RawScenario::kTrickle:
      return Trickle(std::move(client));
    case RawScenario::kSilent:
      return Silent(std::move(client));
    case RawScenario::kGarbage:
      return Garbage(std::move(client));
    case RawScenario::kTlsFailure:
      return TlsFailure(std::move(client));
  }
}

}  // namespace

bool StartRawServer(RawScenario scenario, int port, std::string& error) {
  int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) {
    error = std::string("socket: ") + std::strerror(errno);
    return false;
  }
  Socket listener(fd);
  int yes = 1;
  setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<uint16_t>(port));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || listen(fd, 64) != 0) {
    error = "port " + std::to_string(port) + ": " + std::strerror(errno);
    return false;
  }
  std::thread([scenario, listening = std::move(listener)]() {
    while (true) {
      int client = accept4(listening.Fd(), nullptr, nullptr, SOCK_CLOEXEC);
      if (client < 0) {
        if (errno == EINTR || errno == ECONNABORTED) continue;
        if (errno == EMFILE || errno == ENFILE) {
          std::this_thread::sleep_for(std::chrono::milliseconds(50));
          continue;
        }
        return;
      }
      int noDelay = 1;
      setsockopt(client, IPPROTO_TCP, TCP_NODELAY, &noDelay, sizeof noDelay);
      std::thread(Serve, scenario, Socket(client)).detach();
    }
  }).detach();
  return true;
}

}  // namespace quolvane::loopback_server
