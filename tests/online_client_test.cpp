// The HTTPS exchange against a local leaderboard: the bytes of the request,
// the answers however the server ends them, and the failure points.
#include <gtest/gtest.h>

#include <format>
#include <regex>
#include <string>

#include "online/ScoreClient.h"
#include "score_server/ScoreServer.h"

// Every way an exchange ends, once, each with the exact request the
// leaderboard gets.
TEST(ScoreClient, ExactRequestAndEveryWayTheExchangeEnds) {
  initScoreClient();
  test::ScoreServer server;
  const std::string placed = R"({"ok":true,"plass":3,"totalt":41})", ok = R"("ok":true)";
  const std::string beforeCap(kMaxAnswerBytes - ok.size(), ' '), filler(kMaxAnswerBytes, ' ');
  const std::string send = "false 0 0 " + std::string(kSendFailedPrefix);
  struct Case {
    std::string mode, answer;
    int status;
    std::string expected;                      // "ok place total error", a pattern
    void (*change)(ScoreEndpoint&) = nullptr;  // of the endpoint: no request reaches the server
  };
  const Case cases[] = {
      {"reply", R"(<b>error</b>{"ok":true,"plass":4,"totalt":5})", 500, "true 4 5 "},
      // A redirect is not followed: its own body is the answer.
      {"redirect", R"({"ok":true,"plass":1,"totalt":2})", 302, "true 1 2 "},
      // Closed mid-answer: what was read is parsed (every cut of it: fuzz/).
      {"partial", placed, 200, "true 3 41 "},
      // The success marker ending on the last byte read counts; a byte later it is cut.
      {"reply", beforeCap + ok + filler, 200, "true 0 0 "},
      {"reply", beforeCap + " " + ok + filler, 200, "false 0 0 "},
      // Silence times out; a hang-up is an empty reply (52) or a receive
      // failure (56), depending on how the TLS session ends.
      {"hold", placed, 200, send + "28"},
      {"hangup", "", 200, send + "5[26]"},
      {"reply", "", 200, send + "7", [](auto& e) { e.port = 9; }},
      // Unknown to the system's own trust store: never sent unverified.
      {"reply", "", 200, send + "60", [](auto& e) { e.caFile.clear(); }},
      {"reply", "", 200, "false 0 0 InternetConnect feilet", [](auto& e) { e.host = "a b"; }},
  };
  for (const Case& c : cases) {
    server.behave(c.mode, c.status, c.answer);
    ScoreEndpoint endpoint = server.endpoint(1500);
    if (c.change != nullptr) c.change(endpoint);
    const ScoreResult r = postScoreTo(endpoint, "snokrystal", 4217, "Ice Fox");
    const std::string shown = std::format("{} {} {} {}", r.ok, r.place, r.total, r.error);
    EXPECT_TRUE(std::regex_match(shown, std::regex(c.expected)))
        << c.mode << " " << c.answer.substr(0, 50) << ": " << shown;
  }
  EXPECT_EQ(server.requests().size(), 7u) << "sent to an endpoint not the server's as it is";
  // The request line and exactly these headers (as the test server records
  // them, sorted by name): no chunking, no compression, no "Expect" round trip.
  const test::RecordedRequest request = server.requests().at(0);
  const std::string body = "api_key=POLARLYS4817&spill=snokrystal&score=4217&navn=Ice+Fox";
  EXPECT_EQ(request.body, body);
  EXPECT_EQ(request.head, std::format("POST /highscores.php HTTP/1.1\r\nContent-Length: {}\r\n"
                                      "Content-Type: application/x-www-form-urlencoded\r\n"
                                      "Host: 127.0.0.1:{}\r\nUser-Agent: SNOKRYSTAL/1.0\r\n",
                                      body.size(), server.port));
}
