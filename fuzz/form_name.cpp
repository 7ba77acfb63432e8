// Fuzz target: a player's name (any bytes) and a score go into the request's
// form body; a form decoder, as the server runs it, must get exactly four
// fields back, with the name and the score unchanged.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "online/ScoreClient.h"

namespace {

[[noreturn]] void fail(const char* what) {
  static_cast<void>(std::fprintf(stderr, "form name: %s\n", what));
  std::abort();
}

std::optional<int> hexDigit(char c) {
  if (c >= '0' && c <= '9') {
    return c - '0';
  }
  if (c >= 'A' && c <= 'F') {
    return c - 'A' + 10;
  }
  if (c >= 'a' && c <= 'f') {
    return c - 'a' + 10;
  }
  return std::nullopt;
}

// application/x-www-form-urlencoded, strictly: "+" is a space, "%XX" one
// byte; a "%" without two hex digits is malformed.
std::optional<std::string> decodeFormValue(std::string_view value) {
  std::string decoded;
  for (std::size_t i = 0; i < value.size(); ++i) {
    if (value[i] == '+') {
      decoded += ' ';
    } else if (value[i] == '%') {
      if (i + 2 >= value.size()) {
        return std::nullopt;
      }
      const auto high = hexDigit(value[i + 1]);
      const auto low = hexDigit(value[i + 2]);
      if (!high || !low) {
        return std::nullopt;
      }
      decoded += static_cast<char>(*high * 16 + *low);
      i += 2;
    } else {
      decoded += value[i];
    }
  }
  return decoded;
}

std::vector<std::pair<std::string, std::string>> decodeForm(std::string_view body) {
  std::vector<std::pair<std::string, std::string>> fields;
  while (true) {
    const std::size_t amp = body.find('&');
    const std::string_view field = body.substr(0, amp);
    const std::size_t eq = field.find('=');
    if (eq == std::string_view::npos) {
      fail("a field without '='");
    }
    const auto key = decodeFormValue(field.substr(0, eq));
    const auto value = decodeFormValue(field.substr(eq + 1));
    if (!key || !value) {
      fail("a malformed escape in the body");
    }
    fields.emplace_back(*key, *value);
    if (amp == std::string_view::npos) {
      return fields;
    }
    body.remove_prefix(amp + 1);
  }
}

bool plainOnTheWire(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
         std::strchr("*-._+%", c) != nullptr;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // Four bytes of score, the rest is the name.
  std::int32_t score = 0;
  if (size >= 4) {
    std::uint32_t bits = 0;
    std::memcpy(&bits, data, 4);
    score = static_cast<std::int32_t>(bits);
    data += 4;
    size -= 4;
  }
  const std::string name(reinterpret_cast<const char*>(data), size);

  const std::string encoded = encodeFormName(name);
  for (const char c : encoded) {
    if (!plainOnTheWire(c)) {
      fail("a reserved or non-ASCII byte went out unescaped");
    }
  }
  const auto decoded = decodeFormValue(encoded);
  if (!decoded || *decoded != name) {
    fail("the name does not come back through the decoder");
  }
  // Letters, digits and spaces go out as they are, spaces as "+".
  bool simple = true;
  std::string plain;
  for (const char c : name) {
    simple = simple && (c == ' ' || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
                        (c >= '0' && c <= '9'));
    plain += c == ' ' ? '+' : c;
  }
  if (simple && encoded != plain) {
    fail("a name of letters, digits and spaces was changed");
  }

  const std::string body = buildScoreBody("snokrystal", score, name);
  const auto fields = decodeForm(body);
  if (fields.size() != 4) {
    fail("the body does not hold exactly four fields");
  }
  if (fields[0] != std::pair<std::string, std::string>{"api_key", std::string(kScoreApiKey)} ||
      fields[1] != std::pair<std::string, std::string>{"spill", "snokrystal"} ||
      fields[2] != std::pair<std::string, std::string>{"score", std::to_string(score)} ||
      fields[3] != std::pair<std::string, std::string>{"navn", name}) {
    fail("a field came back changed");
  }
  return 0;
}
