// The HTTPS exchange against a local leaderboard: the bytes of the request,
// the answers, and every way the exchange can fail.

#include <gtest/gtest.h>

#include <chrono>
#include <set>
#include <string>
#include <vector>

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
  server.answer(200, kPlaced);
  const ScoreResult result = postScoreTo(server.endpoint(), "snokrystal", 4217, "Ice Fox");
  EXPECT_TRUE(result.ok);
  EXPECT_EQ(result.place, 3);
  EXPECT_EQ(result.total, 41);
  EXPECT_EQ(result.error, "");

  // The body as built (online_protocol_test.cpp), byte for byte.
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
                "Content-Length: " + std::to_string(body.size())}))
      << requests[0].head;
}

TEST_F(ScoreClient, AnswersWhateverTheStatusAndHowTheServerEnds) {
  struct Case {
    const char* mode;
    int status;
    std::string answer;
    bool ok;
    int place, total;
    std::set<std::string> errors;  // any of these
    double atLeastSeconds;
  };
  // The marker rules are checked without a network (online_protocol_test);
  // here the answer must reach them as read, whatever the status. Silence
  // times out (28); a hang-up is an empty reply (52) or a receive failure
  // (56), depending on how the TLS session ends.
  const std::set<std::string> none{""};
  const std::set<std::string> hungUp{"HttpSendRequest feilet: 52", "HttpSendRequest feilet: 56"};
  const Case cases[] = {
      {"reply", 200, kPlaced, true, 3, 41, none, 0},
      {"reply", 200, "", false, 0, 0, none, 0},
      {"reply", 500, R"(<b>error</b>{"ok":true,"plass":4,"totalt":5})", true, 4, 5, none, 0},
      // A redirect is not followed: its own body is the answer.
      {"redirect", 302, R"({"ok":true,"plass":1,"totalt":2})", true, 1, 2, none, 0},
      // Closed mid-answer: what was read is parsed.
      {"partial", 200, kPlaced, true, 3, 41, none, 0},
      {"partial", 200, R"({"ok":tr)", false, 0, 0, none, 0},
      // An answer that stalls ends with the time bound, parsed as read.
      {"stall", 200, R"({"ok":true,"plass":8,"totalt":9})", true, 8, 9, none, 0},
      {"silent", 200, "", false, 0, 0, {"HttpSendRequest feilet: 28"}, 1.4},
      {"hangup", 200, "", false, 0, 0, hungUp, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.mode) + " " + std::to_string(c.status) + " " + c.answer);
    server.behave(c.mode, c.status, c.answer);
    const std::size_t before = server.requests().size();
    const auto start = std::chrono::steady_clock::now();
    const ScoreResult result = post(server.endpoint(1000, 1500));
    const double took =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_EQ(result.ok, c.ok);
    EXPECT_EQ(result.place, c.place);
    EXPECT_EQ(result.total, c.total);
    EXPECT_TRUE(c.errors.contains(result.error)) << result.error;
    EXPECT_GE(took, c.atLeastSeconds);
    EXPECT_LT(took, 10.0);
    EXPECT_EQ(server.requests().size(), before + 1);
  }
}

TEST_F(ScoreClient, AnswerIsReadOnlyUpToTheCap) {
  const std::string filler(kMaxAnswerBytes * 3, ' ');
  // Markers first, a huge tail: read up to the cap, parsed.
  server.answer(200, kPlaced + filler);
  ScoreResult result = post(server.endpoint());
  EXPECT_TRUE(result.ok);
  EXPECT_EQ(result.place, 3);
  EXPECT_EQ(result.error, "");
  // The success marker ending on the last byte read still counts; one byte
  // later it is cut, and markers beyond the cap are never seen.
  const std::string ok = R"("ok":true)";
  server.answer(200, std::string(kMaxAnswerBytes - ok.size(), ' ') + ok + filler);
  EXPECT_TRUE(post(server.endpoint()).ok);
  server.answer(200, std::string(kMaxAnswerBytes - ok.size() + 1, ' ') + ok + filler);
  EXPECT_FALSE(post(server.endpoint()).ok);
  server.answer(200, filler + kPlaced);
  result = post(server.endpoint());
  EXPECT_FALSE(result.ok);
  EXPECT_EQ(result.place, 0);
  EXPECT_EQ(result.error, "");
}

TEST_F(ScoreClient, FailuresBeforeAnyAnswer) {
  server.answer(200, R"({"ok":true,"plass":1,"totalt":1})");
  const auto errorWith = [this](auto change) {
    ScoreEndpoint endpoint = server.endpoint(1000, 1500);
    change(endpoint);
    const ScoreResult result = post(endpoint);
    EXPECT_FALSE(result.ok);
    return result.error;
  };
  // Nothing listening: could not connect.
  EXPECT_EQ(errorWith([](ScoreEndpoint& e) { e.port = test::unusedPort(); }),
            "HttpSendRequest feilet: 7");
  // Signed by a CA the client does not trust, and unknown to the system's
  // own trust store: never sent without verification.
  EXPECT_EQ(errorWith([](ScoreEndpoint& e) {
              e.caFile = test::testCertificates().otherCaFile().string();
            }),
            "HttpSendRequest feilet: 60");
  EXPECT_EQ(errorWith([](ScoreEndpoint& e) { e.caFile.clear(); }), "HttpSendRequest feilet: 60");
  // Addresses that cannot be used, and a name that never resolves.
  EXPECT_EQ(errorWith([](ScoreEndpoint& e) { e.host = "bad host/name"; }),
            "InternetConnect feilet");
  EXPECT_EQ(errorWith([](ScoreEndpoint& e) { e.port = 70000; }), "InternetConnect feilet");
  EXPECT_TRUE(errorWith([](ScoreEndpoint& e) {
                e.host = "leaderboard.snokrystal.invalid";
              }).starts_with("HttpSendRequest feilet: "));
  EXPECT_TRUE(server.requests().empty());

  // A certificate for another host, from the trusted CA.
  test::ScoreServer elsewhere(test::testCertificates().elsewhereCert());
  ASSERT_TRUE(elsewhere.running());
  elsewhere.answer(200, R"({"ok":true,"plass":1,"totalt":1})");
  EXPECT_EQ(post(elsewhere.endpoint()).error, "HttpSendRequest feilet: 60");
  EXPECT_TRUE(elsewhere.requests().empty());
}
