#pragma once

// A local HTTPS leaderboard for the tests (tests/score_server/score_server.py),
// started as a child process and stopped with the object. Linux only.

#include <sys/types.h>

#include <filesystem>
#include <string>
#include <vector>

#include "online/ScoreClient.h"

namespace test {

// Certificates made with openssl once per test process.
struct TestCertificates {
  std::filesystem::path directory;
  std::filesystem::path caFile() const { return directory / "ca.pem"; }
  std::filesystem::path otherCaFile() const { return directory / "other-ca.pem"; }
  // Signed by the test CA: for localhost and 127.0.0.1, or for another host.
  std::filesystem::path localhostCert() const { return directory / "localhost"; }
  std::filesystem::path elsewhereCert() const { return directory / "elsewhere"; }
};
const TestCertificates& testCertificates();

struct RecordedRequest {
  std::string head;  // request line and header lines, each ending in CRLF
  std::string body;
};

struct ScoreServer {
  explicit ScoreServer(
      const std::filesystem::path& certificate = testCertificates().localhostCert());
  ~ScoreServer();
  ScoreServer(const ScoreServer&) = delete;
  ScoreServer& operator=(const ScoreServer&) = delete;

  // How the next requests are answered (see score_server.py for the modes).
  void behave(const std::string& mode, int status = 200, const std::string& body = {});
  void answer(int status, const std::string& body) { behave("reply", status, body); }

  // The requests received so far, in order.
  std::vector<RecordedRequest> requests() const;

  // This server, trusting the test CA, with short time bounds.
  ScoreEndpoint endpoint(long connectTimeoutMs = 3000, long totalTimeoutMs = 3000) const;

  bool running() const { return port > 0; }

  std::filesystem::path directory;
  pid_t child = -1;
  int port = 0;
};

// A port on 127.0.0.1 on which nothing listens (bound once, then released).
int unusedPort();

// Clears proxy settings from the environment, so requests to 127.0.0.1 go
// straight to the test server.
void clearProxyEnvironment();

}  // namespace test
