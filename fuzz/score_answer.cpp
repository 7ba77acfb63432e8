// Fuzz target: the leaderboard's answer as it comes off the connection, in
// pieces of any size, then read for its three markers. Checked against the C
// library's own reading of the same text.

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

// The at most three characters after the first occurrence of key, read by
// strtol: leading white space, a sign, digits.
std::int32_t expectedNumber(std::string_view answer, std::string_view key) {
  const std::size_t at = answer.find(key);
  if (at == std::string_view::npos) {
    return 0;
  }
  const std::string field(answer.substr(at + key.size(), 3));
  return static_cast<std::int32_t>(std::strtol(field.c_str(), nullptr, 10));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // The first byte chooses the piece size, as the network would cut the
  // answer; the rest is the answer itself.
  if (size == 0) {
    return 0;
  }
  const std::size_t pieceSize = 1 + data[0] * 7u;
  const std::string_view raw(reinterpret_cast<const char*>(data + 1), size - 1);

  std::string answer;
  std::string expected;  // every piece up to its first zero byte, capped
  for (std::size_t at = 0; at < raw.size(); at += pieceSize) {
    const std::string_view piece = raw.substr(at, pieceSize);
    const bool more = appendAnswerPiece(answer, piece);
    expected += piece.substr(0, piece.find('\0'));
    expected.resize(std::min(expected.size(), kMaxAnswerBytes));
    if (more != (answer.size() < kMaxAnswerBytes)) {
      fail("the read goes on past the cap, or stops before it");
    }
    if (!more) {
      break;
    }
  }
  if (answer != expected) {
    fail("the pieces did not add up to the answer");
  }
  if (answer.find('\0') != std::string::npos) {
    fail("a zero byte got into the answer");
  }

  const ScoreResult result = parseScoreAnswer(answer);
  if (result.ok != (answer.find("\"ok\":true") != std::string::npos)) {
    fail("ok differs from the marker search");
  }
  if (result.place != expectedNumber(answer, "\"plass\":")) {
    fail("place differs from strtol");
  }
  if (result.total != expectedNumber(answer, "\"totalt\":")) {
    fail("total differs from strtol");
  }
  if (result.place < -99 || result.place > 999 || result.total < -99 || result.total > 999) {
    fail("three characters gave a number outside -99 ... 999");
  }
  if (!result.error.empty()) {
    fail("an answer that arrived carries a transport error");
  }
  return 0;
}
