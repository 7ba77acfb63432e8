#pragma once

// A TCP listener on the loopback interface that accepts connections and never
// says a word: a TLS client that connects waits for the server's hello until
// its own time-out. Linux only, like the rest of the benchmark's process code.

#include <atomic>
#include <mutex>
#include <thread>
#include <vector>

namespace bench {

struct SilentServer {
  int listener = -1;
  int port = 0;
  std::atomic<bool> stopping{false};
  std::atomic<int> accepted{0};
  std::mutex lock;
  std::vector<int> held;  // accepted connections, open until dropped
  std::thread acceptor;

  SilentServer();  // port stays 0 when no listener could be opened
  ~SilentServer();
  SilentServer(const SilentServer&) = delete;
  SilentServer& operator=(const SilentServer&) = delete;

  // Closes every held connection: the waiting clients see the end at once.
  void dropAll();
  // Waits until a client has sent something (its TLS hello) on a held
  // connection; false after the time-out.
  bool waitForHello(int timeoutMs);
};

}  // namespace bench
