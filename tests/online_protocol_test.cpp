// The score in hundredths, the name's cursor, the score request's body and
// the reading of the server's answer, without a network. Every byte of a name,
// every cut of the answer and its numbers (whole, signed, blank-led, past 32 bits): fuzz/.
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

TEST(ScoreAnswer, FirstMarkerOfEachAsWritten) {
  // Case as written, and the first of each (the seeds of fuzz/ hold none twice).
  const ScoreResult r =
      parseScoreAnswer(R"({"OK":true,"Plass":3,"plass":-4,"plass":5,"totalt":+5,"totalt":9})");
  EXPECT_EQ(std::tuple(r.ok, r.place, r.total), std::tuple(false, -4, 5));
}

TEST(ScoreAnswer, PlaceAndTotalReadWholeWithin32Bits) {
  // The 1,234th run of 1,234 is no "#123 av 123"; a number past 32 bits reads as none.
  const ScoreResult r = parseScoreAnswer(R"({"ok":true,"plass": 1234,"totalt":+12345})");
  const ScoreResult edge = parseScoreAnswer(R"("plass":-2147483648,"totalt":2147483648)");
  EXPECT_EQ(std::tuple(r.place, r.total, edge.place, edge.total),
            std::tuple(1234, 12345, INT_MIN, 0));
}

TEST(NameEntryRules, ScoreInHundredthsAndTheBlinkingCursor) {
  // Truncated; beyond what a 32-bit score holds, clamped instead of undefined.
  EXPECT_EQ(std::tuple(scoreHundredths(42.178f), scoreHundredths(3.0e7f), scoreHundredths(NAN)),
            std::tuple(4217, INT_MAX, 0));
  std::string cursor;
  for (const int ms : {499, 500, 1000, 123956}) cursor += nameCursor(std::chrono::milliseconds(ms));
  EXPECT_EQ(cursor, "_ _ ");
}
