#pragma once

// A local HTTPS leaderboard for the tests (score_server.py beside this file),
// started as a child process and stopped with the object. Linux only.

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <format>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "online/ScoreClient.h"
#include "support/TestSupport.h"

namespace test {

// Requests to 127.0.0.1 go straight to the test server, past any proxy.
inline void clearProxyEnvironment() {
  for (const char* name : {"https_proxy", "HTTPS_PROXY", "all_proxy", "ALL_PROXY"}) unsetenv(name);
}

// The head: the request line and the header lines, each ending in CRLF.
struct RecordedRequest {
  std::string head, body;
};

struct ScoreServer {
  std::filesystem::path directory;
  // The server's standard input: closing it ends the server.
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> input{nullptr, pclose};
  int port = 0;

  ScoreServer() {
    clearProxyEnvironment();
    std::string name = (std::filesystem::temp_directory_path() / "snokrystal-XXXXXX").string();
    if (mkdtemp(name.data()) == nullptr) return;
    directory = name;
    const std::string script = SNOKRYSTAL_SOURCE_DIR "/tests/score_server/score_server.py";
    input.reset(popen(("python3 '" + script + "' '" + name + "'").c_str(), "w"));
    // Bounded polling for the port it listens on.
    eventually(
        [this] { return !input || (port = std::atoi(readFile(directory / "port").c_str())) > 0; });
  }
  ~ScoreServer() {
    input.reset();  // the server gone before its folder
    std::error_code ignored;
    std::filesystem::remove_all(directory, ignored);
  }

  // How the next requests are answered (the modes of score_server.py), set
  // before the first; a "hold" waits until openGate().
  void behave(const std::string& mode, int status = 200, const std::string& body = {}) {
    std::filesystem::remove(directory / "gate");
    writeFile(directory / "answer", body);
    writeFile(directory / "mode", std::format("{} {}", mode, status));
  }
  void openGate() const { writeFile(directory / "gate", ""); }

  // Received so far, in order.
  std::vector<RecordedRequest> requests() const {
    std::vector<RecordedRequest> found;
    for (int n = 1; std::filesystem::exists(directory / std::format("{:03}", n)); ++n) {
      const std::string whole = readFile(directory / std::format("{:03}", n));
      const std::size_t end = whole.find("\r\n\r\n") + 2;
      found.push_back({whole.substr(0, end), whole.substr(end + 2)});
    }
    return found;
  }
  // Trusting this server only.
  ScoreEndpoint endpoint(long boundMs = 3000) const {
    return {"127.0.0.1", port, (directory / "cert.pem").string(), boundMs, boundMs};
  }
  bool running() const { return port > 0; }

  static std::string readFile(const std::filesystem::path& path) {
    return (std::ostringstream() << std::ifstream(path, std::ios::binary).rdbuf()).str();
  }

  // Written whole: the server never reads half a file.
  static void writeFile(const std::filesystem::path& path, const std::string& content) {
    std::ofstream(path.string() + ".tmp", std::ios::binary) << content;
    std::filesystem::rename(path.string() + ".tmp", path);
  }
};

}  // namespace test
