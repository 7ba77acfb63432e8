// Fuzz target: a player's name (any bytes) goes into the request's form body
// in the one canonical form a strict decoder takes back whole (letters, digits
// and *-._ as they are, "+" a space, "%XX" with upper-case hex any other
// byte). Where it stands among the four fields: the client's exact request
// (tests/online_client_test.cpp).

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
  const std::string name(reinterpret_cast<const char*>(data), size);
  if (decode(encodeFormName(name)) != name) {
    static_cast<void>(std::fprintf(stderr, "form name: not in its one canonical form\n"));
    std::abort();
  }
  return 0;
}
