// The score request's body and the reading of the server's answer, without a
// network.

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "online/ScoreClient.h"

namespace {

std::vector<std::string> splitFields(const std::string& body) {
  std::vector<std::string> fields;
  std::size_t start = 0;
  for (;;) {
    const std::size_t amp = body.find('&', start);
    fields.push_back(body.substr(start, amp - start));
    if (amp == std::string::npos) {
      return fields;
    }
    start = amp + 1;
  }
}

}  // namespace

TEST(ScoreBody, FieldsInOrderWithSpacesAsPlus) {
  EXPECT_EQ(buildScoreBody("snokrystal", 4217, "Ice Fox"),
            "api_key=POLARLYS4817&spill=snokrystal&score=4217&navn=Ice+Fox");
  EXPECT_EQ(buildScoreBody("snokrystal", 0, "Anonym"),
            "api_key=POLARLYS4817&spill=snokrystal&score=0&navn=Anonym");
  EXPECT_EQ(buildScoreBody("snokrystal", -12, "A1"),
            "api_key=POLARLYS4817&spill=snokrystal&score=-12&navn=A1");
  EXPECT_EQ(buildScoreBody("snokrystal", INT_MAX, "z"),
            "api_key=POLARLYS4817&spill=snokrystal&score=2147483647&navn=z");
  // Leading, trailing and only spaces go out as typed.
  EXPECT_EQ(encodeFormName("  a b "), "++a+b+");
  EXPECT_EQ(encodeFormName("   "), "+++");
  EXPECT_EQ(encodeFormName(""), "");
}

TEST(ScoreBody, ReservedBytesArePercentEncoded) {
  EXPECT_EQ(encodeFormName("x&score=1"), "x%26score%3D1");
  EXPECT_EQ(encodeFormName("a+b%c"), "a%2Bb%25c");
  EXPECT_EQ(encodeFormName("*-._"), "*-._");
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
    const std::string expected = plain ? in : (c == ' ' ? "+" : escaped);
    EXPECT_EQ(encodeFormName(in), expected) << "character " << c;
  }
}

TEST(ScoreBody, ForgedFieldsStayInsideTheName) {
  const std::string body = buildScoreBody("snokrystal", 4217, "x&score=1&navn=y");
  const std::vector<std::string> fields = splitFields(body);
  ASSERT_EQ(fields.size(), 4u) << body;
  EXPECT_EQ(fields[0], "api_key=POLARLYS4817");
  EXPECT_EQ(fields[1], "spill=snokrystal");
  EXPECT_EQ(fields[2], "score=4217");
  EXPECT_EQ(fields[3], "navn=x%26score%3D1%26navn%3Dy");
}

TEST(ScoreRequest, FixedParts) {
  EXPECT_EQ(kScoreContentType.size(), 49u);
  EXPECT_EQ(kScoreContentType, "Content-Type: application/x-www-form-urlencoded\r\n");
  EXPECT_EQ(kScoreUserAgent, "SNOKRYSTAL/1.0");
  EXPECT_EQ(kScorePath, "/highscores.php");
  EXPECT_EQ(kMaxAnswerBytes, 65536u);
}

TEST(ScoreRequest, GameEndpointIsTheCompiledHostWithFullBounds) {
  const ScoreEndpoint endpoint = leaderboardEndpoint();
  EXPECT_EQ(endpoint.host, SNOKRYSTAL_SCORE_HOST);
  EXPECT_EQ(endpoint.port, 443);
  EXPECT_TRUE(endpoint.caFile.empty());
  EXPECT_EQ(endpoint.connectTimeoutMs, 15000);
  EXPECT_EQ(endpoint.totalTimeoutMs, 30000);
}

struct AnswerCase {
  const char* answer;
  bool ok;
  int place;
  int total;
};

class ScoreAnswer : public ::testing::TestWithParam<AnswerCase> {};

TEST_P(ScoreAnswer, ReadsTheThreeMarkers) {
  const AnswerCase& c = GetParam();
  const ScoreResult result = parseScoreAnswer(c.answer);
  EXPECT_EQ(result.ok, c.ok);
  EXPECT_EQ(result.place, c.place);
  EXPECT_EQ(result.total, c.total);
  EXPECT_TRUE(result.error.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ScoreAnswer,
    ::testing::Values(AnswerCase{R"({"ok":true,"plass":3,"totalt":41})", true, 3, 41},
                      AnswerCase{R"({"ok": true})", false, 0, 0},
                      AnswerCase{R"({"ok":true,"plass":1234,"totalt":2000})", true, 123, 200},
                      AnswerCase{R"({"ok":true,"plass": 57,"totalt": 123})", true, 57, 12},
                      AnswerCase{R"({"ok":true,"plass":2,"totalt":7})", true, 2, 7},
                      AnswerCase{R"({"ok":true})", true, 0, 0},
                      AnswerCase{R"({"ok":false,"plass":3,"totalt":41})", false, 3, 41},
                      AnswerCase{R"({"OK":true,"Plass":3,"Totalt":41})", false, 0, 0},
                      AnswerCase{R"({"ok":true,"plass":null,"totalt":"9"})", true, 0, 0},
                      AnswerCase{R"({"plass":-4,"totalt":+5})", false, -4, 5},
                      AnswerCase{R"({"plass":5,"plass":9,"totalt":8,"totalt":1})", false, 5, 8},
                      AnswerCase{"{\"plass\":\t\n5", false, 5, 0},
                      AnswerCase{R"("totalt":6)", false, 0, 6},
                      AnswerCase{R"("plass":)", false, 0, 0},
                      AnswerCase{"<html>500 Internal Server Error</html>", false, 0, 0},
                      AnswerCase{"", false, 0, 0}));

TEST(ScoreAnswerText, PiecesEndAtAZeroByteAndTheWholeAtTheCap) {
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
