// The score request's body and the reading of the server's answer, without a
// network.

#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <string>

#include "online/ScoreClient.h"

TEST(ScoreBody, FieldsInOrderWithSpacesAsPlus) {
  EXPECT_EQ(buildScoreBody("snokrystal", 4217, "Ice Fox"),
            "api_key=POLARLYS4817&spill=snokrystal&score=4217&navn=Ice+Fox");
  EXPECT_EQ(buildScoreBody("snokrystal", INT_MAX, "Anonym"),
            "api_key=POLARLYS4817&spill=snokrystal&score=2147483647&navn=Anonym");
  // Leading, trailing and only spaces go out as typed.
  EXPECT_EQ(encodeFormName("  a b "), "++a+b+");
  EXPECT_EQ(encodeFormName(""), "");
}

TEST(ScoreBody, ReservedBytesArePercentEncoded) {
  // A name cannot forge fields of its own.
  EXPECT_EQ(buildScoreBody("snokrystal", 1, "x&score=1&navn=y"),
            "api_key=POLARLYS4817&spill=snokrystal&score=1&navn=x%26score%3D1%26navn%3Dy");
  EXPECT_EQ(encodeFormName("a+b%c"), "a%2Bb%25c");
  EXPECT_EQ(encodeFormName("\xC3\xA5"), "%C3%A5");
  EXPECT_EQ(encodeFormName(std::string("a\0b", 3)), "a%00b");
  // Every printable character: the unreserved ones as they are, space as
  // "+", all others as two upper-case hex digits.
  for (int c = 32; c <= 126; ++c) {
    const std::string in(1, static_cast<char>(c));
    const bool plain = (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
                       c == '*' || c == '-' || c == '.' || c == '_';
    char escaped[4];
    std::snprintf(escaped, sizeof(escaped), "%%%02X", c);
    EXPECT_EQ(encodeFormName(in), plain ? in : (c == ' ' ? "+" : escaped)) << "character " << c;
  }
}

TEST(ScoreRequest, HeaderAndGameEndpoint) {
  EXPECT_EQ(kScoreContentType, "Content-Type: application/x-www-form-urlencoded\r\n");
  // The game's own exchange: port 443, the system's trusted certificates, and
  // a bounded wait.
  const ScoreEndpoint endpoint = leaderboardEndpoint();
  EXPECT_FALSE(endpoint.host.empty());
  EXPECT_EQ(endpoint.port, 443);
  EXPECT_TRUE(endpoint.caFile.empty());
  EXPECT_GT(endpoint.connectTimeoutMs, 0);
  EXPECT_GE(endpoint.totalTimeoutMs, endpoint.connectTimeoutMs);
  EXPECT_LE(endpoint.totalTimeoutMs, 60000);
}

TEST(ScoreAnswer, ReadsTheThreeMarkers) {
  struct Case {
    const char* answer;
    bool ok;
    int place, total;
  };
  const Case cases[] = {
      {R"({"ok":true,"plass":3,"totalt":41})", true, 3, 41},
      {R"({"ok": true})", false, 0, 0},
      {R"({"ok":true,"plass":1234,"totalt":2000})", true, 123, 200},  // three characters
      {R"({"ok":true,"plass": 57,"totalt": 123})", true, 57, 12},
      {R"({"ok":true})", true, 0, 0},
      {R"({"ok":false,"plass":3,"totalt":41})", false, 3, 41},
      {R"({"OK":true,"Plass":3,"Totalt":41})", false, 0, 0},
      {R"({"ok":true,"plass":null,"totalt":"9"})", true, 0, 0},
      {R"({"plass":-4,"totalt":+5})", false, -4, 5},
      {R"({"plass":5,"plass":9,"totalt":8,"totalt":1})", false, 5, 8},
      {"{\"plass\":\t\n5", false, 5, 0},
      {R"("plass":)", false, 0, 0},
      {"", false, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.answer);
    const ScoreResult result = parseScoreAnswer(c.answer);
    EXPECT_EQ(result.ok, c.ok);
    EXPECT_EQ(result.place, c.place);
    EXPECT_EQ(result.total, c.total);
    EXPECT_TRUE(result.error.empty());
  }
}

TEST(ScoreAnswer, PiecesEndAtAZeroByteAndTheWholeAtTheCap) {
  std::string answer;
  EXPECT_TRUE(appendAnswerPiece(answer, std::string_view("abc\0def", 7)));
  EXPECT_TRUE(appendAnswerPiece(answer, "ghi"));
  EXPECT_EQ(answer, "abcghi");

  answer.clear();
  const std::string big(60 * 1024, 'x');
  EXPECT_TRUE(appendAnswerPiece(answer, big));
  EXPECT_FALSE(appendAnswerPiece(answer, big));
  EXPECT_EQ(answer.size(), kMaxAnswerBytes);
  EXPECT_FALSE(appendAnswerPiece(answer, "more"));
  EXPECT_EQ(answer.size(), kMaxAnswerBytes);
}
