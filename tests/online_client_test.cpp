// The HTTPS exchange against a local leaderboard: the bytes of the request,
// the answers however the server ends them, and the failure points.
#include <gtest/gtest.h>

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
  using Change = void (*)(ScoreEndpoint&);  // of the endpoint: no request reaches the server
  struct Case {
    const char* mode;
    int status;
    std::string answer;
    bool ok;
    int place, total;
    const char* error;  // a pattern
    Change change = nullptr;
  };
  const Case cases[] = {
      {"reply", 200, placed, true, 3, 41, ""},
      {"reply", 500, R"(<b>error</b>{"ok":true,"plass":4,"totalt":5})", true, 4, 5, ""},
      // A redirect is not followed: its own body is the answer.
      {"redirect", 302, R"({"ok":true,"plass":1,"totalt":2})", true, 1, 2, ""},
      // Closed mid-answer: what was read is parsed.
      {"partial", 200, placed, true, 3, 41, ""},
      {"partial", 200, R"({"ok":tr)", false, 0, 0, ""},
      // The success marker ending on the last byte read counts; a byte later it is cut.
      {"reply", 200, beforeCap + ok + filler, true, 0, 0, ""},
      {"reply", 200, beforeCap + " " + ok + filler, false, 0, 0, ""},
      // Silence times out; a hang-up is an empty reply (52) or a receive
      // failure (56), depending on how the TLS session ends.
      {"hold", 200, placed, false, 0, 0, "HttpSendRequest feilet: 28"},
      {"hangup", 200, "", false, 0, 0, "HttpSendRequest feilet: 5[26]"},
      {"reply", 200, placed, false, 0, 0, "HttpSendRequest feilet: 7",
       [](ScoreEndpoint& e) { e.port = 9; }},
      // Unknown to the system's own trust store: never sent unverified.
      {"reply", 200, placed, false, 0, 0, "HttpSendRequest feilet: 60",
       [](ScoreEndpoint& e) { e.caFile.clear(); }},
      {"reply", 200, placed, false, 0, 0, "InternetConnect feilet",
       [](ScoreEndpoint& e) { e.host = "bad host/name"; }},
  };
  for (const Case& c : cases) {
    server.behave(c.mode, c.status, c.answer);
    ScoreEndpoint endpoint = server.endpoint(1500);
    if (c.change != nullptr) c.change(endpoint);
    const std::size_t before = server.requests().size();
    const ScoreResult r = postScoreTo(endpoint, "snokrystal", 4217, "Ice Fox");
    const std::string what = c.mode + (" " + c.answer.substr(0, 50));
    EXPECT_EQ(std::tuple(r.ok, r.place, r.total), std::tuple(c.ok, c.place, c.total)) << what;
    EXPECT_TRUE(std::regex_match(r.error, std::regex(c.error))) << what << ": " << r.error;
    EXPECT_EQ(server.requests().size(), before + (c.change == nullptr ? 1 : 0)) << what;
  }
  // The request line and exactly these headers, in any order: no chunking,
  // no compression, no "Expect" round trip.
  const test::RecordedRequest request = server.requests().at(0);
  const std::string body = "api_key=POLARLYS4817&spill=snokrystal&score=4217&navn=Ice+Fox";
  EXPECT_EQ(request.body, body);
  std::set<std::string> lines;
  for (std::size_t at = 0, end; (end = request.head.find("\r\n", at)) != std::string::npos;
       at = end + 2) {
    lines.insert(request.head.substr(at, end - at));
  }
  EXPECT_EQ(lines,
            (std::set<std::string>{
                "POST /highscores.php HTTP/1.1", "Host: 127.0.0.1:" + std::to_string(server.port),
                "User-Agent: SNOKRYSTAL/1.0", "Content-Type: application/x-www-form-urlencoded",
                "Content-Length: " + std::to_string(body.size())}));
}
