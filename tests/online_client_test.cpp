// The HTTPS exchange against a local leaderboard: the bytes of the request,
// the answers, and every way the exchange can fail.

#include <gtest/gtest.h>

#include <chrono>
#include <set>
#include <string>

#include "online/ScoreClient.h"
#include "score_server/ScoreServer.h"

namespace {

class ScoreClient : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    test::clearProxyEnvironment();
    initScoreClient();
  }
  void SetUp() override { ASSERT_TRUE(server.running()); }

  test::ScoreServer server;
};

// Header name -> value of a recorded request, and the request line apart.
struct ParsedHead {
  std::string requestLine;
  std::vector<std::pair<std::string, std::string>> headers;
  std::string value(const std::string& name) const {
    for (const auto& [key, found] : headers) {
      if (key == name) {
        return found;
      }
    }
    return "<absent>";
  }
};

ParsedHead parseHead(const std::string& head) {
  ParsedHead parsed;
  std::size_t start = 0;
  while (start < head.size()) {
    const std::size_t end = head.find("\r\n", start);
    const std::string line = head.substr(start, end - start);
    if (parsed.requestLine.empty()) {
      parsed.requestLine = line;
    } else {
      const std::size_t colon = line.find(": ");
      parsed.headers.emplace_back(line.substr(0, colon), line.substr(colon + 2));
    }
    start = end + 2;
  }
  return parsed;
}

double secondsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

TEST_F(ScoreClient, SendsExactlyTheLeaderboardRequest) {
  server.answer(200, R"({"ok":true,"plass":3,"totalt":41})");
  const ScoreResult result = postScoreTo(server.endpoint(), "snokrystal", 4217, "Ice Fox");
  EXPECT_TRUE(result.ok);
  EXPECT_EQ(result.place, 3);
  EXPECT_EQ(result.total, 41);
  EXPECT_EQ(result.error, "");

  const auto requests = server.requests();
  ASSERT_EQ(requests.size(), 1u);
  const ParsedHead head = parseHead(requests[0].head);
  EXPECT_EQ(head.requestLine, "POST /highscores.php HTTP/1.1");
  const std::string body = "api_key=POLARLYS4817&spill=snokrystal&score=4217&navn=Ice+Fox";
  EXPECT_EQ(requests[0].body, body);
  EXPECT_EQ(head.value("Host"), "127.0.0.1:" + std::to_string(server.port));
  EXPECT_EQ(head.value("User-Agent"), "SNOKRYSTAL/1.0");
  EXPECT_EQ(head.value("Content-Type"), "application/x-www-form-urlencoded");
  EXPECT_EQ(head.value("Content-Length"), std::to_string(body.size()));
  // Nothing else: no chunking, no compression, no "Expect" round trip.
  std::set<std::string> names;
  for (const auto& [name, value] : head.headers) {
    names.insert(name);
  }
  EXPECT_EQ(names, (std::set<std::string>{"Host", "User-Agent", "Content-Type", "Content-Length"}))
      << requests[0].head;
}

TEST_F(ScoreClient, ReservedCharactersGoOutPercentEncoded) {
  server.answer(200, R"({"ok":true})");
  postScoreTo(server.endpoint(), "snokrystal", 17, "x&score=1 %+");
  const auto requests = server.requests();
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].body,
            "api_key=POLARLYS4817&spill=snokrystal&score=17&navn=x%26score%3D1+%25%2B");
}

TEST_F(ScoreClient, AnswersAreReadWhateverTheStatus) {
  struct Case {
    int status;
    std::string answer;
    bool ok;
    int place;
    int total;
  };
  // The marker rules themselves are covered without a network; here the
  // answer must reach them unchanged, whatever the status.
  const Case cases[] = {
      {200, R"({"ok":true,"plass":3,"totalt":41})", true, 3, 41},
      {200, R"({"ok": true,"plass": 123})", false, 12, 0},
      {200, R"({"status":"fine"})", false, 0, 0},
      {200, "", false, 0, 0},
      {500, R"(<b>error</b>{"ok":true,"plass":4,"totalt":5})", true, 4, 5},
      {403, R"({"ok":false,"plass":2,"totalt":3})", false, 2, 3},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.status) + " " + c.answer);
    server.answer(c.status, c.answer);
    const ScoreResult result = postScoreTo(server.endpoint(), "snokrystal", 1, "a");
    EXPECT_EQ(result.ok, c.ok);
    EXPECT_EQ(result.place, c.place);
    EXPECT_EQ(result.total, c.total);
    EXPECT_EQ(result.error, "");
  }
}

TEST_F(ScoreClient, RedirectIsNotFollowed) {
  server.behave("redirect", 302, R"({"ok":true,"plass":1,"totalt":2})");
  const ScoreResult result = postScoreTo(server.endpoint(), "snokrystal", 1, "a");
  EXPECT_EQ(server.requests().size(), 1u);
  EXPECT_TRUE(result.ok);
  EXPECT_EQ(result.error, "");
}

TEST_F(ScoreClient, AnswerIsReadOnlyUpToTheCap) {
  const std::string markers = R"({"ok":true,"plass":3,"totalt":41})";
  const std::string filler(kMaxAnswerBytes * 3, ' ');

  // Markers first, a huge tail: read up to the cap, parsed.
  server.answer(200, markers + filler);
  ScoreResult result = postScoreTo(server.endpoint(), "snokrystal", 1, "a");
  EXPECT_TRUE(result.ok);
  EXPECT_EQ(result.place, 3);
  EXPECT_EQ(result.error, "");

  // The success marker ending on the last byte read still counts...
  const std::string ok = R"("ok":true)";
  server.answer(200, std::string(kMaxAnswerBytes - ok.size(), ' ') + ok + filler);
  EXPECT_TRUE(postScoreTo(server.endpoint(), "snokrystal", 1, "a").ok);

  // ...one byte later it is cut, and markers beyond the cap are never seen.
  server.answer(200, std::string(kMaxAnswerBytes - ok.size() + 1, ' ') + ok + filler);
  EXPECT_FALSE(postScoreTo(server.endpoint(), "snokrystal", 1, "a").ok);
  server.answer(200, filler + markers);
  result = postScoreTo(server.endpoint(), "snokrystal", 1, "a");
  EXPECT_FALSE(result.ok);
  EXPECT_EQ(result.place, 0);
  EXPECT_EQ(result.error, "");
}

TEST_F(ScoreClient, NothingListening) {
  ScoreEndpoint endpoint = server.endpoint();
  endpoint.port = test::unusedPort();
  const ScoreResult result = postScoreTo(endpoint, "snokrystal", 1, "a");
  EXPECT_FALSE(result.ok);
  EXPECT_EQ(result.error, "HttpSendRequest feilet: 7");  // could not connect
}

TEST_F(ScoreClient, UntrustedCertificateIsRefused) {
  server.answer(200, R"({"ok":true,"plass":1,"totalt":1})");
  // Signed by a CA the client does not trust.
  ScoreEndpoint endpoint = server.endpoint();
  endpoint.caFile = test::testCertificates().otherCaFile().string();
  ScoreResult result = postScoreTo(endpoint, "snokrystal", 1, "a");
  EXPECT_FALSE(result.ok);
  EXPECT_EQ(result.error, "HttpSendRequest feilet: 60");
  // The system's own trust store does not know the test CA either.
  endpoint.caFile.clear();
  result = postScoreTo(endpoint, "snokrystal", 1, "a");
  EXPECT_FALSE(result.ok);
  EXPECT_EQ(result.error, "HttpSendRequest feilet: 60");
  // Never fell back to sending without verification.
  EXPECT_TRUE(server.requests().empty());
}

TEST_F(ScoreClient, CertificateForAnotherHostIsRefused) {
  test::ScoreServer elsewhere(test::testCertificates().elsewhereCert());
  ASSERT_TRUE(elsewhere.running());
  elsewhere.answer(200, R"({"ok":true,"plass":1,"totalt":1})");
  const ScoreResult result = postScoreTo(elsewhere.endpoint(), "snokrystal", 1, "a");
  EXPECT_FALSE(result.ok);
  EXPECT_EQ(result.error, "HttpSendRequest feilet: 60");
  EXPECT_TRUE(elsewhere.requests().empty());
}

TEST_F(ScoreClient, SilentServerIsBounded) {
  server.behave("silent");
  const auto start = std::chrono::steady_clock::now();
  const ScoreResult result = postScoreTo(server.endpoint(1000, 1500), "snokrystal", 1, "a");
  const double took = secondsSince(start);
  RecordProperty("silent_server_seconds", std::to_string(took));
  EXPECT_FALSE(result.ok);
  EXPECT_EQ(result.error, "HttpSendRequest feilet: 28");  // timed out
  EXPECT_GE(took, 1.4);
  EXPECT_LT(took, 10.0);
  EXPECT_EQ(server.requests().size(), 1u);
}

TEST_F(ScoreClient, ServerHangsUpWithoutAnswer) {
  server.behave("hangup");
  const ScoreResult result = postScoreTo(server.endpoint(), "snokrystal", 1, "a");
  EXPECT_FALSE(result.ok);
  // Nothing came back: an empty reply (52) or a receive failure (56),
  // depending on how the TLS session ends.
  EXPECT_TRUE(result.error == "HttpSendRequest feilet: 52" ||
              result.error == "HttpSendRequest feilet: 56")
      << result.error;
}

TEST_F(ScoreClient, ConnectionClosedMidAnswerIsParsedAsRead) {
  server.behave("partial", 200, R"({"ok":true,"plass":3,"totalt":41})");
  ScoreResult result = postScoreTo(server.endpoint(), "snokrystal", 1, "a");
  EXPECT_TRUE(result.ok);
  EXPECT_EQ(result.place, 3);
  EXPECT_EQ(result.total, 41);
  EXPECT_EQ(result.error, "");

  server.behave("partial", 200, R"({"ok":tr)");
  result = postScoreTo(server.endpoint(), "snokrystal", 1, "a");
  EXPECT_FALSE(result.ok);
  EXPECT_EQ(result.error, "");
}

TEST_F(ScoreClient, AnswerThatStallsEndsWithTheTimeBound) {
  server.behave("stall", 200, R"({"ok":true,"plass":8,"totalt":9})");
  const auto start = std::chrono::steady_clock::now();
  const ScoreResult result = postScoreTo(server.endpoint(1000, 1500), "snokrystal", 1, "a");
  EXPECT_LT(secondsSince(start), 10.0);
  EXPECT_TRUE(result.ok);
  EXPECT_EQ(result.place, 8);
  EXPECT_EQ(result.error, "");
}

TEST_F(ScoreClient, AddressThatCannotBeUsed) {
  ScoreEndpoint endpoint = server.endpoint();
  endpoint.host = "bad host/name";
  EXPECT_EQ(postScoreTo(endpoint, "snokrystal", 1, "a").error, "InternetConnect feilet");
  endpoint = server.endpoint();
  endpoint.port = 70000;
  EXPECT_EQ(postScoreTo(endpoint, "snokrystal", 1, "a").error, "InternetConnect feilet");
  // A name that never resolves fails at the send, within the bounds.
  endpoint = server.endpoint(1000, 1500);
  endpoint.host = "leaderboard.snokrystal.invalid";
  const ScoreResult result = postScoreTo(endpoint, "snokrystal", 1, "a");
  EXPECT_FALSE(result.ok);
  EXPECT_TRUE(result.error.starts_with("HttpSendRequest feilet: ")) << result.error;
  EXPECT_TRUE(server.requests().empty());
}
