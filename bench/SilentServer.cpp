#include "bench/SilentServer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>

namespace bench {

SilentServer::SilentServer() {
  listener = ::socket(AF_INET, SOCK_STREAM, 0);
  if (listener < 0) {
    return;
  }
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(0x7f000001u);  // 127.0.0.1
  address.sin_port = 0;
  socklen_t length = sizeof address;
  auto* generic = reinterpret_cast<sockaddr*>(&address);
  if (::bind(listener, generic, length) != 0 || ::listen(listener, 8) != 0 ||
      ::getsockname(listener, generic, &length) != 0) {
    ::close(listener);
    listener = -1;
    return;
  }
  port = ntohs(address.sin_port);
  acceptor = std::thread([this] {
    while (!stopping.load()) {
      pollfd waiting{listener, POLLIN, 0};
      if (::poll(&waiting, 1, 50) <= 0) {
        continue;
      }
      const int connection = ::accept(listener, nullptr, nullptr);
      if (connection >= 0) {
        const std::lock_guard guard(lock);
        held.push_back(connection);
        accepted.fetch_add(1);
      }
    }
  });
}

SilentServer::~SilentServer() {
  stopping.store(true);
  if (acceptor.joinable()) {
    acceptor.join();
  }
  dropAll();
  if (listener >= 0) {
    ::close(listener);
  }
}

void SilentServer::dropAll() {
  const std::lock_guard guard(lock);
  for (const int connection : held) {
    ::close(connection);
  }
  held.clear();
}

bool SilentServer::waitForHello(int timeoutMs) {
  for (int waited = 0; waited < timeoutMs; waited += 10) {
    {
      const std::lock_guard guard(lock);
      for (const int connection : held) {
        pollfd waiting{connection, POLLIN, 0};
        if (::poll(&waiting, 1, 0) > 0) {
          return true;
        }
      }
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return false;
}

}  // namespace bench
