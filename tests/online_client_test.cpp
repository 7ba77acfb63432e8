// The HTTPS exchange against a local leaderboard: the bytes of the request,
// the answers however the server ends them, and the failure points.
#include <gtest/gtest.h>

#include <ranges>
#include <regex>
#include <set>
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
  const std::string send(kSendFailedPrefix);
  struct Case {
    const char* mode;
    int status;
    std::string answer;
    ScoreResult expected;                      // its error a pattern
    void (*change)(ScoreEndpoint&) = nullptr;  // of the endpoint: no request reaches the server
  };
  const Case cases[] = {
      {"reply", 200, placed, {true, 3, 41, ""}},
      {"reply", 500, R"(<b>error</b>{"ok":true,"plass":4,"totalt":5})", {true, 4, 5, ""}},
      // A redirect is not followed: its own body is the answer.
      {"redirect", 302, R"({"ok":true,"plass":1,"totalt":2})", {true, 1, 2, ""}},
      // Closed mid-answer: what was read is parsed.
      {"partial", 200, placed, {true, 3, 41, ""}},
      {"partial", 200, R"({"ok":tr)", {false, 0, 0, ""}},
      // The success marker ending on the last byte read counts; a byte later it is cut.
      {"reply", 200, beforeCap + ok + filler, {true, 0, 0, ""}},
      {"reply", 200, beforeCap + " " + ok + filler, {false, 0, 0, ""}},
      // Silence times out; a hang-up is an empty reply (52) or a receive
      // failure (56), depending on how the TLS session ends.
      {"hold", 200, placed, {false, 0, 0, send + "28"}},
      {"hangup", 200, "", {false, 0, 0, send + "5[26]"}},
      {"reply", 200, "", {false, 0, 0, send + "7"}, [](auto& e) { e.port = 9; }},
      // Unknown to the system's own trust store: never sent unverified.
      {"reply", 200, "", {false, 0, 0, send + "60"}, [](auto& e) { e.caFile.clear(); }},
      {"reply", 200, "", {false, 0, 0, "InternetConnect feilet"}, [](auto& e) { e.host = "a b"; }},
  };
  for (const Case& c : cases) {
    server.behave(c.mode, c.status, c.answer);
    ScoreEndpoint endpoint = server.endpoint(1500);
    if (c.change != nullptr) c.change(endpoint);
    const std::size_t before = server.requests().size();
    const ScoreResult r = postScoreTo(endpoint, "snokrystal", 4217, "Ice Fox");
    const std::string what = c.mode + (" " + c.answer.substr(0, 50));
    const ScoreResult& e = c.expected;
    EXPECT_EQ(std::tuple(r.ok, r.place, r.total), std::tuple(e.ok, e.place, e.total)) << what;
    EXPECT_TRUE(std::regex_match(r.error, std::regex(e.error))) << what << ": " << r.error;
    EXPECT_EQ(server.requests().size(), before + (c.change == nullptr ? 1 : 0)) << what;
  }
  // The request line and exactly these headers, in any order: no chunking,
  // no compression, no "Expect" round trip.
  const test::RecordedRequest request = server.requests().at(0);
  const std::string body = "api_key=POLARLYS4817&spill=snokrystal&score=4217&navn=Ice+Fox";
  EXPECT_EQ(request.body, body);
  std::set<std::string> lines;
  for (const auto line : std::views::split(request.head, std::string_view("\r\n")))
    lines.emplace(line.begin(), line.end());
  EXPECT_EQ(lines,
            (std::set<std::string>{
                "",  // after the last CRLF
                "POST /highscores.php HTTP/1.1", "Host: 127.0.0.1:" + std::to_string(server.port),
                "User-Agent: SNOKRYSTAL/1.0", "Content-Type: application/x-www-form-urlencoded",
                "Content-Length: " + std::to_string(body.size())}));
}
