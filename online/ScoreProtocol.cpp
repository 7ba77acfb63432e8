#include <algorithm>
#include <cstdint>
#include <limits>

#include "online/ScoreClient.h"

namespace {

bool isUnreserved(unsigned char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '*' ||
         c == '-' || c == '.' || c == '_';
}

bool isSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// The whole number after a key, read like the standard string-to-int
// conversion: leading white space, an optional sign, digits up to the first
// non-digit. No digits, or a number beyond 32 bits, reads as 0.
std::int32_t readNumber(std::string_view answer, std::string_view key) {
  const std::size_t at = answer.find(key);
  if (at == std::string_view::npos) {
    return 0;
  }
  std::size_t i = at + key.size();
  while (i < answer.size() && isSpace(answer[i])) {
    ++i;
  }
  bool negative = false;
  if (i < answer.size() && (answer[i] == '+' || answer[i] == '-')) {
    negative = answer[i] == '-';
    ++i;
  }
  const std::int64_t limit =
      std::int64_t{std::numeric_limits<std::int32_t>::max()} + (negative ? 1 : 0);
  std::int64_t value = 0;
  for (; i < answer.size() && answer[i] >= '0' && answer[i] <= '9'; ++i) {
    value = value * 10 + (answer[i] - '0');
    if (value > limit) {
      return 0;
    }
  }
  return static_cast<std::int32_t>(negative ? -value : value);
}

}  // namespace

ScoreEndpoint leaderboardEndpoint() {
  // The host from the build (CMakeLists.txt); the rest as ScoreClient.h gives it.
  ScoreEndpoint endpoint;
  endpoint.host = SNOKRYSTAL_SCORE_HOST;
  return endpoint;
}

ScoreResult postScore(const std::string& gameId, std::int32_t score, const std::string& name) {
  return postScoreTo(leaderboardEndpoint(), gameId, score, name);
}

std::string encodeFormName(std::string_view name) {
  // Every reserved byte is escaped, so a name such as "x&score=1" stays one
  // field and cannot overwrite the score on the server.
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string encoded;
  encoded.reserve(name.size() * 3);
  for (const char c : name) {
    const auto byte = static_cast<unsigned char>(c);
    if (isUnreserved(byte)) {
      encoded += c;
    } else if (byte == ' ') {
      encoded += '+';
    } else {
      encoded += '%';
      encoded += kHex[byte >> 4];
      encoded += kHex[byte & 0x0F];
    }
  }
  return encoded;
}

std::string buildScoreBody(const std::string& gameId, std::int32_t score, const std::string& name) {
  std::string body = "api_key=";
  body += kScoreApiKey;
  body += "&spill=";
  body += encodeFormName(gameId);  // "snokrystal" goes out unchanged
  body += "&score=";
  body += std::to_string(score);
  body += "&navn=";
  body += encodeFormName(name);
  return body;
}

bool appendAnswerPiece(std::string& answer, std::string_view piece) {
  // The answer is text: a zero byte ends what a piece contributes.
  piece = piece.substr(0, piece.find('\0'));
  const std::size_t room = kMaxAnswerBytes - std::min(answer.size(), kMaxAnswerBytes);
  answer.append(piece.substr(0, room));
  return answer.size() < kMaxAnswerBytes;
}

ScoreResult parseScoreAnswer(std::string_view answer) {
  // Plain substring searches, no JSON parser: the three markers are all the
  // game relies on, and they are searched independently of each other.
  ScoreResult result;
  result.ok = answer.find("\"ok\":true") != std::string_view::npos;
  result.place = readNumber(answer, "\"plass\":");
  result.total = readNumber(answer, "\"totalt\":");
  return result;
}
