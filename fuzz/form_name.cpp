// Fuzz target: a player's name (any bytes) and a score go into the request's
// form body. The name must go out in the one canonical form a strict decoder
// takes back whole (letters, digits and *-._ as they are, "+" a space, "%XX"
// with upper-case hex any other byte), and stand last of the four fields.

#include <algorithm>
#include <cctype>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>

#include "online/ScoreClient.h"

namespace {

[[noreturn]] void fail(const char* what) {
  static_cast<void>(std::fprintf(stderr, "form name: %s\n", what));
  std::abort();
}

bool unreserved(char c) {
  return std::isalnum(static_cast<unsigned char>(c)) != 0 ||
         std::string_view("*-._").find(c) != std::string_view::npos;
}

// Nothing for any other spelling, an escaped unreserved byte or space among them.
std::optional<std::string> decode(std::string_view value) {
  std::string decoded;
  for (std::size_t i = 0; i < value.size(); ++i) {
    const std::string_view hex = value.substr(i + 1, 2);
    if (value[i] == '%' && hex.size() == 2 &&
        hex.find_first_not_of("0123456789ABCDEF") == hex.npos) {
      const char byte = static_cast<char>(std::stoi(std::string(hex), nullptr, 16));
      if (unreserved(byte) || byte == ' ') return std::nullopt;
      decoded += byte;
      i += 2;
    } else if (value[i] == '+' || unreserved(value[i])) {
      decoded += value[i] == '+' ? ' ' : value[i];
    } else {
      return std::nullopt;
    }
  }
  return decoded;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // Four bytes of score, the rest is the name.
  std::int32_t score = 0;
  const std::size_t scoreBytes = std::min<std::size_t>(size, 4);
  std::memcpy(&score, data, scoreBytes);
  const std::string name(reinterpret_cast<const char*>(data) + scoreBytes, size - scoreBytes);
  const std::string encoded = encodeFormName(name);
  if (decode(encoded) != name) fail("the name does not go out in its one canonical form");
  const std::string body = "api_key=" + std::string(kScoreApiKey) +
                           "&spill=snokrystal&score=" + std::to_string(score) + "&navn=" + encoded;
  if (buildScoreBody("snokrystal", score, name) != body) fail("the body is not the four fields");
  return 0;
}
