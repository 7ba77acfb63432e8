#include "score_server/ScoreServer.h"

#include <chrono>
#include <cstdlib>
#include <format>
#include <fstream>
#include <sstream>
#include <thread>

namespace test {

static std::string readFile(const std::filesystem::path& path) {
  std::ostringstream content;
  content << std::ifstream(path, std::ios::binary).rdbuf();
  return content.str();
}

// Written whole: the server never reads half a file.
static void writeFile(const std::filesystem::path& path, const std::string& content) {
  std::ofstream(path.string() + ".tmp", std::ios::binary) << content;
  std::filesystem::rename(path.string() + ".tmp", path);
}

ScoreServer::ScoreServer() {
  clearProxyEnvironment();
  std::string name = (std::filesystem::temp_directory_path() / "snokrystal-server-XXXXXX").string();
  if (mkdtemp(name.data()) == nullptr) return;
  directory = name;
  answer({});
  const std::string script = SNOKRYSTAL_SOURCE_DIR "/tests/score_server/score_server.py";
  input = popen(("python3 '" + script + "' '" + name + "'").c_str(), "w");
  for (int i = 0; input != nullptr && i < 1000 && port == 0; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));  // bounded polling for the port
    port = std::atoi(readFile(directory / "port").c_str());
  }
}

ScoreServer::~ScoreServer() {
  if (input != nullptr) pclose(input);
  std::error_code ignored;
  std::filesystem::remove_all(directory, ignored);
}

void ScoreServer::behave(const std::string& mode, int status, const std::string& body) {
  std::filesystem::remove(directory / "gate");
  writeFile(directory / "answer", body);
  writeFile(directory / "mode", std::format("{} {}", mode, status));
}

void ScoreServer::openGate() const { writeFile(directory / "gate", ""); }

std::vector<RecordedRequest> ScoreServer::requests() const {
  std::vector<RecordedRequest> found;
  for (int n = 1; std::filesystem::exists(directory / std::format("{:03}", n)); ++n) {
    const std::string whole = readFile(directory / std::format("{:03}", n));
    const std::size_t end = whole.find("\r\n\r\n") + 2;
    found.push_back({whole.substr(0, end), whole.substr(end + 2)});
  }
  return found;
}

ScoreEndpoint ScoreServer::endpoint(long boundMs) const {
  return {"127.0.0.1", port, (directory / "cert.pem").string(), boundMs, boundMs};
}

void clearProxyEnvironment() {
  for (const char* name : {"http_proxy", "https_proxy", "HTTPS_PROXY", "all_proxy", "ALL_PROXY"})
    unsetenv(name);
}

}  // namespace test
