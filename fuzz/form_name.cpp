// Fuzz target: a player's name (any bytes) and a score go into the request's
// form body. The name must go out in bytes a form decoder never takes for a
// separator, come back whole through a strict decoder ("+" a space, "%XX"
// with upper-case hex one byte), go out as typed when made of letters, digits
// and spaces, and stand last of the four fields.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "online/ScoreClient.h"

namespace {

[[noreturn]] void fail(const char* what) {
  static_cast<void>(std::fprintf(stderr, "form name: %s\n", what));
  std::abort();
}

bool isAlphanumeric(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
}

int hexValue(char c) {
  const char* const digits = "0123456789ABCDEF";
  const char* const at = c == '\0' ? nullptr : std::strchr(digits, c);
  return at == nullptr ? -1 : static_cast<int>(at - digits);
}

std::string decode(std::string_view value) {
  std::string decoded;
  for (std::size_t i = 0; i < value.size(); ++i) {
    if (value[i] == '+') {
      decoded += ' ';
    } else if (value[i] != '%') {
      decoded += value[i];
    } else if (i + 2 < value.size() && hexValue(value[i + 1]) >= 0 && hexValue(value[i + 2]) >= 0) {
      decoded += static_cast<char>(hexValue(value[i + 1]) * 16 + hexValue(value[i + 2]));
      i += 2;
    } else {
      fail("a malformed escape");
    }
  }
  return decoded;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // Four bytes of score, the rest is the name.
  std::int32_t score = 0;
  if (size >= 4) {
    std::memcpy(&score, data, 4);
    data += 4;
    size -= 4;
  }
  const std::string name(reinterpret_cast<const char*>(data), size);

  const std::string encoded = encodeFormName(name);
  for (const char c : encoded) {
    if (!isAlphanumeric(c) && std::strchr("*-._+%", c) == nullptr) {
      fail("a reserved or non-ASCII byte went out unescaped");
    }
  }
  if (decode(encoded) != name) {
    fail("the name does not come back through the decoder");
  }
  std::string plain = name;
  for (char& c : plain) {
    if (c == ' ') {
      c = '+';
    } else if (!isAlphanumeric(c)) {
      plain.clear();
      break;
    }
  }
  if (!plain.empty() && encoded != plain) {
    fail("a name of letters, digits and spaces was changed");
  }
  if (buildScoreBody("snokrystal", score, name) !=
      "api_key=" + std::string(kScoreApiKey) + "&spill=snokrystal&score=" + std::to_string(score) +
          "&navn=" + encoded) {
    fail("the body is not the four fields in order");
  }
  return 0;
}
