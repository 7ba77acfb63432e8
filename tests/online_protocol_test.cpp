// The score in hundredths, the name's cursor, the score request's body and
// the reading of the server's answer, without a network. Every byte of a name and every cut of the
// answer: fuzz/.
#include <gtest/gtest.h>

#include <chrono>
#include <climits>
#include <limits>
#include <string>

#include "online/NameEntry.h"
#include "online/ScoreClient.h"

TEST(ScoreBody, FieldsInOrderWithSpacesAsPlusAndReservedBytesEscaped) {
  EXPECT_EQ(buildScoreBody("snokrystal", 4217, "Ice Fox"),
            "api_key=POLARLYS4817&spill=snokrystal&score=4217&navn=Ice+Fox");
  EXPECT_EQ(buildScoreBody("snokrystal", INT_MAX, "  a b "),
            "api_key=POLARLYS4817&spill=snokrystal&score=2147483647&navn=++a+b+");
  // A name cannot forge fields of its own.
  EXPECT_EQ(encodeFormName("x&score=1+%\xC3\xA5"), "x%26score%3D1%2B%25%C3%A5");
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
      {R"({"ok":false,"plass":3,"totalt":7})", false, 3, 7},
      {R"({"OK":true,"Plass":3,"Totalt":41})", false, 0, 0},
      {R"({"ok":true,"plass":null,"totalt":"9"})", true, 0, 0},
      {R"({"plass":-4,"totalt":+5})", false, -4, 5},
      {R"({"plass":5,"plass":9,"totalt":8,"totalt":1})", false, 5, 8},
  };
  for (const Case& c : cases) {
    const ScoreResult result = parseScoreAnswer(c.answer);
    EXPECT_EQ(std::tuple(result.ok, result.place, result.total, result.error),
              std::tuple(c.ok, c.place, c.total, std::string()))
        << c.answer;
  }
}

TEST(NameEntryRules, ScoreInHundredthsAndTheBlinkingCursor) {
  // Beyond what a 32-bit score holds: clamped instead of undefined.
  for (const auto& [seconds, score] : {std::pair{42.178f, 4217},
                                       {3.0e7f, 2147483647},
                                       {std::numeric_limits<float>::quiet_NaN(), 0}}) {
    EXPECT_EQ(scoreHundredths(seconds), score) << seconds;
  }
  for (const auto& [ms, cursor] : {std::pair{499, '_'}, {500, ' '}, {1000, '_'}, {123956, ' '}}) {
    EXPECT_EQ(nameCursor(std::chrono::milliseconds(ms)), cursor) << ms;
  }
}
