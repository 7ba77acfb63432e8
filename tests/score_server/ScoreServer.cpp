#include "score_server/ScoreServer.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <random>
#include <sstream>
#include <thread>

namespace test {

namespace {

const std::string kScript =
    std::string(SNOKRYSTAL_SOURCE_DIR) + "/tests/score_server/score_server.py";

std::filesystem::path freshDirectory(const std::string& stem) {
  std::random_device device;
  std::filesystem::path path = std::filesystem::temp_directory_path() /
                               (stem + std::to_string(getpid()) + "-" + std::to_string(device()));
  std::filesystem::create_directories(path);
  return path;
}

std::string readFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream content;
  content << in.rdbuf();
  return content.str();
}

void writeFile(const std::filesystem::path& path, const std::string& content) {
  const std::filesystem::path temporary = path.string() + ".tmp";
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    out << content;
  }
  std::filesystem::rename(temporary, path);
}

// Runs the script's certificate step once per process; the directory goes
// when the process ends.
struct CertificateStore {
  TestCertificates certificates;
  CertificateStore() {
    certificates.directory = freshDirectory("snokrystal-certs-");
    const std::string command =
        "python3 '" + kScript + "' certs '" + certificates.directory.string() + "'";
    if (std::system(command.c_str()) != 0) {
      ADD_FAILURE_AT(__FILE__, __LINE__);
    }
  }
  ~CertificateStore() {
    std::error_code ignored;
    std::filesystem::remove_all(certificates.directory, ignored);
  }
};

}  // namespace

const TestCertificates& testCertificates() {
  static const CertificateStore store;
  return store.certificates;
}

ScoreServer::ScoreServer(const std::filesystem::path& certificate)
    : directory(freshDirectory("snokrystal-server-")) {
  const std::string dir = directory.string();
  const std::string cert = certificate.string();
  child = fork();
  if (child == 0) {
    execlp("python3", "python3", kScript.c_str(), "serve", dir.c_str(), cert.c_str(),
           static_cast<char*>(nullptr));
    _exit(127);
  }
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (child > 0 && std::chrono::steady_clock::now() < deadline) {
    if (std::filesystem::exists(directory / "port")) {
      port = std::atoi(readFile(directory / "port").c_str());
      break;
    }
    int status = 0;
    if (waitpid(child, &status, WNOHANG) == child) {
      child = -1;
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
}

ScoreServer::~ScoreServer() {
  if (child > 0) {
    kill(child, SIGTERM);
    int status = 0;
    waitpid(child, &status, 0);
  }
  std::error_code ignored;
  std::filesystem::remove_all(directory, ignored);
}

void ScoreServer::behave(const std::string& mode, int status, const std::string& body) {
  writeFile(directory / "answer", body);
  writeFile(directory / "behaviour", mode + " " + std::to_string(status) + "\n");
}

std::vector<RecordedRequest> ScoreServer::requests() const {
  std::vector<RecordedRequest> found;
  for (int number = 1;; ++number) {
    char stem[16];
    std::snprintf(stem, sizeof(stem), "%03d", number);
    const std::filesystem::path head = directory / "requests" / (std::string(stem) + ".head");
    if (!std::filesystem::exists(head)) return found;
    found.push_back(
        {readFile(head), readFile(directory / "requests" / (std::string(stem) + ".body"))});
  }
}

ScoreEndpoint ScoreServer::endpoint(long connectTimeoutMs, long totalTimeoutMs) const {
  return ScoreEndpoint{.host = "127.0.0.1",
                       .port = port,
                       .caFile = testCertificates().caFile().string(),
                       .connectTimeoutMs = connectTimeoutMs,
                       .totalTimeoutMs = totalTimeoutMs};
}

int unusedPort() {
  const int fd = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = 0;
  socklen_t length = sizeof(address);
  bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address));
  getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
  close(fd);
  return ntohs(address.sin_port);
}

void clearProxyEnvironment() {
  for (const char* name : {"http_proxy", "https_proxy", "HTTPS_PROXY", "all_proxy", "ALL_PROXY"}) {
    unsetenv(name);
  }
}

}  // namespace test
