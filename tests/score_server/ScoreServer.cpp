#include "score_server/ScoreServer.h"

#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <random>
#include <sstream>
#include <thread>

namespace test {

namespace {

std::string readFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream content;
  content << in.rdbuf();
  return content.str();
}

// Written whole: the server never reads half a file.
void writeFile(const std::filesystem::path& path, const std::string& content) {
  std::ofstream(path.string() + ".tmp", std::ios::binary) << content;
  std::filesystem::rename(path.string() + ".tmp", path);
}

}  // namespace

ScoreServer::ScoreServer()
    : directory(std::filesystem::temp_directory_path() /
                ("snokrystal-server-" + std::to_string(getpid()) + "-" +
                 std::to_string(std::random_device()()))) {
  std::filesystem::create_directories(directory);
  const std::string command = "python3 '" SNOKRYSTAL_SOURCE_DIR
                              "/tests/score_server/score_server.py' '" +
                              directory.string() + "'";
  input = popen(command.c_str(), "w");
  for (int i = 0; input != nullptr && i < 1000 && port == 0; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));  // bounded polling for the port
    port = std::atoi(readFile(directory / "port").c_str());
  }
}

ScoreServer::~ScoreServer() {
  if (input != nullptr) {
    pclose(input);
  }
  std::error_code ignored;
  std::filesystem::remove_all(directory, ignored);
}

void ScoreServer::behave(const std::string& mode, int status, const std::string& body) {
  std::filesystem::remove(directory / "gate");
  writeFile(directory / "answer", body);
  writeFile(directory / "mode", mode + " " + std::to_string(status));
}

void ScoreServer::openGate() const { writeFile(directory / "gate", ""); }

std::vector<RecordedRequest> ScoreServer::requests() const {
  std::vector<RecordedRequest> found;
  for (int n = 1;; ++n) {
    const std::string stem = std::to_string(1000 + n).substr(1);
    if (!std::filesystem::exists(directory / stem)) {
      return found;
    }
    const std::string whole = readFile(directory / stem);
    const std::size_t end = whole.find("\r\n\r\n") + 2;
    found.push_back({whole.substr(0, end), whole.substr(end + 2)});
  }
}

ScoreEndpoint ScoreServer::endpoint(long boundMs) const {
  return {.host = "127.0.0.1",
          .port = port,
          .caFile = (directory / "cert.pem").string(),
          .connectTimeoutMs = boundMs,
          .totalTimeoutMs = boundMs};
}

void clearProxyEnvironment() {
  for (const char* name : {"http_proxy", "https_proxy", "HTTPS_PROXY", "all_proxy", "ALL_PROXY"}) {
    unsetenv(name);
  }
}

}  // namespace test
