// Fuzz target: the leaderboard's answer as it comes off the connection, in
// pieces of any size, then read for its three markers; checked against the C
// library's own reading of the same text.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "online/ScoreClient.h"

namespace {

[[noreturn]] void fail(const char* what) {
  static_cast<void>(std::fprintf(stderr, "score answer: %s\n", what));
  std::abort();
}

// The whole number after the first occurrence of key, read by strtoll:
// leading white space, a sign, digits; beyond 32 bits it counts as none.
std::int32_t expectedNumber(const std::string& answer, const std::string& key) {
  const std::size_t at = answer.find(key);
  if (at == std::string::npos) return 0;
  const long long value = std::strtoll(answer.c_str() + at + key.size(), nullptr, 10);
  return value < INT32_MIN || value > INT32_MAX ? 0 : static_cast<std::int32_t>(value);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // The first byte chooses the piece size, as the network would cut the
  // answer; the rest is the answer itself.
  if (size == 0) return 0;
  const std::size_t pieceSize = 1 + data[0] * 7u;
  const std::string_view raw(reinterpret_cast<const char*>(data + 1), size - 1);
  std::string answer, expected;  // expected: every piece up to its first zero byte, capped
  bool more = true;
  for (std::size_t at = 0; more && at < raw.size(); at += pieceSize) {
    const std::string_view piece = raw.substr(at, pieceSize);
    more = appendAnswerPiece(answer, piece);
    expected += piece.substr(0, piece.find('\0'));
    expected.resize(std::min(expected.size(), kMaxAnswerBytes));
    if (more != (answer.size() < kMaxAnswerBytes)) fail("the read goes on past the cap, or stops");
  }
  if (answer != expected) fail("the pieces did not add up to the answer");
  const ScoreResult result = parseScoreAnswer(answer);
  if (result.ok != (answer.find("\"ok\":true") != std::string::npos) ||
      result.place != expectedNumber(answer, "\"plass\":") ||
      result.total != expectedNumber(answer, "\"totalt\":") || !result.error.empty())
    fail("the markers differ from a plain search and strtol");
  return 0;
}
