#pragma once

// A local HTTPS leaderboard for the tests (score_server.py beside this file),
// started as a child process and stopped with the object. Linux only.

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "online/ScoreClient.h"

namespace test {

struct RecordedRequest {
  std::string head;  // request line and header lines, each ending in CRLF
  std::string body;
};

struct ScoreServer {
  ScoreServer();  // also clears the proxy environment
  ~ScoreServer();
  ScoreServer(const ScoreServer&) = delete;
  ScoreServer& operator=(const ScoreServer&) = delete;

  // How the next requests are answered (the modes of score_server.py); a
  // "hold" waits until openGate().
  void behave(const std::string& mode, int status = 200, const std::string& body = {});
  void answer(const std::string& body) { behave("reply", 200, body); }
  void openGate() const;

  std::vector<RecordedRequest> requests() const;      // received so far, in order
  ScoreEndpoint endpoint(long boundMs = 3000) const;  // trusting this server only
  bool running() const { return port > 0; }

  std::filesystem::path directory;
  std::FILE* input = nullptr;  // the server's standard input: closing it ends the server
  int port = 0;
};

// Requests to 127.0.0.1 go straight to the test server, past any proxy.
void clearProxyEnvironment();

}  // namespace test
