// The score in hundredths, the name's cursor, the score request's body and
// the reading of the server's answer, without a network. Every byte of a name
// and every cut of the answer: fuzz/.
#include <gtest/gtest.h>

#include <chrono>
#include <climits>
#include <cmath>
#include <string>
#include <tuple>

#include "online/NameEntry.h"
#include "online/ScoreClient.h"

TEST(ScoreBody, NameCannotForgeFieldsOfItsOwn) {
  // *-._ as they are, a space as "+", every other byte as %XX.
  EXPECT_EQ(encodeFormName("a*-._ b&score=1+%\xC3\xA5"), "a*-._+b%26score%3D1%2B%25%C3%A5");
}

TEST(ScoreAnswer, ReadsTheThreeMarkers) {
  // Case as written, the first of each, at most three characters after it
  // read as a number with its sign and leading blanks.
  for (const auto& [answer, ok, place, total] :
       {std::tuple{R"({"ok":true,"plass":3,"totalt":41})", true, 3, 41},
        {R"({"ok": true,"plass":1234,"totalt": 123})", false, 123, 12},
        {R"({"OK":true,"Plass":3,"plass":-4,"plass":5,"totalt":+5,"totalt":9})", false, -4, 5},
        {R"({"ok":true,"plass":null,"totalt":"9"})", true, 0, 0}}) {
    const ScoreResult r = parseScoreAnswer(answer);
    EXPECT_EQ(std::tuple(r.ok, r.place, r.total), std::tuple(ok, place, total)) << answer;
  }
}

TEST(NameEntryRules, ScoreInHundredthsAndTheBlinkingCursor) {
  // Truncated; beyond what a 32-bit score holds, clamped instead of undefined.
  EXPECT_EQ(std::tuple(scoreHundredths(42.178f), scoreHundredths(3.0e7f), scoreHundredths(NAN)),
            std::tuple(4217, INT_MAX, 0));
  std::string cursor;
  for (const int ms : {499, 500, 1000, 123956}) cursor += nameCursor(std::chrono::milliseconds(ms));
  EXPECT_EQ(cursor, "_ _ ");
}
