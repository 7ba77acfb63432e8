// The HTTPS exchange against a local leaderboard: the bytes of the request,
// the answers however the server ends them, and the failure points.
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

  ScoreResult post(const ScoreEndpoint& endpoint) {
    return postScoreTo(endpoint, "snokrystal", 1, "a");
  }

  test::ScoreServer server;
};

constexpr const char* kPlaced = R"({"ok":true,"plass":3,"totalt":41})";

}  // namespace

TEST_F(ScoreClient, SendsExactlyTheLeaderboardRequest) {
  server.answer(kPlaced);
  const ScoreResult result = postScoreTo(server.endpoint(), "snokrystal", 4217, "Ice Fox");
  EXPECT_EQ(std::tuple(result.ok, result.place, result.total, result.error),
            std::tuple(true, 3, 41, std::string()));
  const auto requests = server.requests();
  ASSERT_EQ(requests.size(), 1u);
  const std::string body = "api_key=POLARLYS4817&spill=snokrystal&score=4217&navn=Ice+Fox";
  EXPECT_EQ(requests[0].body, body);
  // The request line and exactly these headers, in any order: no chunking,
  // no compression, no "Expect" round trip.
  std::set<std::string> lines;
  for (std::size_t at = 0, end; (end = requests[0].head.find("\r\n", at)) != std::string::npos;
       at = end + 2) {
    lines.insert(requests[0].head.substr(at, end - at));
  }
  EXPECT_EQ(lines,
            (std::set<std::string>{
                "POST /highscores.php HTTP/1.1", "Host: 127.0.0.1:" + std::to_string(server.port),
                "User-Agent: SNOKRYSTAL/1.0", "Content-Type: application/x-www-form-urlencoded",
                "Content-Length: " + std::to_string(body.size())}));
}

TEST_F(ScoreClient, AnswersWhateverTheStatusAndHowTheServerEnds) {
  struct Case {
    const char* mode;
    int status;
    std::string answer;
    bool ok;
    int place, total;
    std::set<std::string> errors;  // any of these
  };
  // Silence times out (28); a hang-up is an empty reply (52) or a receive
  // failure (56), depending on how the TLS session ends.
  const Case cases[] = {
      {"reply", 200, "", false, 0, 0, {""}},
      {"reply", 500, R"(<b>error</b>{"ok":true,"plass":4,"totalt":5})", true, 4, 5, {""}},
      // A redirect is not followed: its own body is the answer.
      {"redirect", 302, R"({"ok":true,"plass":1,"totalt":2})", true, 1, 2, {""}},
      // Closed mid-answer: what was read is parsed.
      {"partial", 200, kPlaced, true, 3, 41, {""}},
      {"partial", 200, R"({"ok":tr)", false, 0, 0, {""}},
      {"hold", 200, kPlaced, false, 0, 0, {"HttpSendRequest feilet: 28"}},
      {"hangup",
       200,
       "",
       false,
       0,
       0,
       {"HttpSendRequest feilet: 52", "HttpSendRequest feilet: 56"}},
  };
  for (const Case& c : cases) {
    server.behave(c.mode, c.status, c.answer);
    const auto start = std::chrono::steady_clock::now();
    const ScoreResult result = post(server.endpoint(1500));
    EXPECT_EQ(std::tuple(result.ok, result.place, result.total), std::tuple(c.ok, c.place, c.total))
        << c.mode << " " << c.answer;
    EXPECT_TRUE(c.errors.contains(result.error)) << c.mode << ": " << result.error;
    if (std::string(c.mode) == "hold") {
      EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(1400));
    }
  }
  EXPECT_EQ(server.requests().size(), std::size(cases));
}

TEST_F(ScoreClient, AnswerIsReadOnlyUpToTheCap) {
  // The success marker ending on the last byte read still counts; one byte
  // later it is cut.
  const std::string ok = R"("ok":true)";
  const std::string filler(kMaxAnswerBytes, ' ');
  server.answer(std::string(kMaxAnswerBytes - ok.size(), ' ') + ok + filler);
  EXPECT_TRUE(post(server.endpoint()).ok);
  server.answer(std::string(kMaxAnswerBytes - ok.size() + 1, ' ') + ok + filler);
  const ScoreResult cut = post(server.endpoint());
  EXPECT_EQ(std::pair(cut.ok, cut.error), std::pair(false, std::string()));
}

TEST_F(ScoreClient, FailuresBeforeAnyAnswer) {
  const auto errorWith = [this](auto change) {
    ScoreEndpoint endpoint = server.endpoint(1500);
    change(endpoint);
    const ScoreResult result = post(endpoint);
    EXPECT_FALSE(result.ok);
    return result.error;
  };
  EXPECT_EQ(errorWith([](ScoreEndpoint& e) { e.port = 9; }), "HttpSendRequest feilet: 7");
  // Unknown to the system's own trust store: never sent without verification.
  EXPECT_EQ(errorWith([](ScoreEndpoint& e) { e.caFile.clear(); }), "HttpSendRequest feilet: 60");
  EXPECT_EQ(errorWith([](ScoreEndpoint& e) { e.host = "bad host/name"; }),
            "InternetConnect feilet");
  EXPECT_TRUE(server.requests().empty());
}
