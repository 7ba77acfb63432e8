#include "app/Platform.h"

#include <algorithm>
#include <cstdio>
#include <fstream>

#include <SFML/System/Err.hpp>

FontPaths defaultFontPaths() {
#ifdef _WIN32
  return {
      {"assets/SpaceMono-Regular.ttf", "C:/Windows/Fonts/consola.ttf", "C:/Windows/Fonts/cour.ttf"},
      {"assets/Syne-Bold.ttf", "C:/Windows/Fonts/calibrib.ttf", "C:/Windows/Fonts/arial.ttf"}};
#elif defined(__APPLE__)
  return {{"assets/SpaceMono-Regular.ttf", "/System/Library/Fonts/Menlo.ttc",
           "/System/Library/Fonts/Supplemental/Courier New.ttf"},
          {"assets/Syne-Bold.ttf", "/System/Library/Fonts/Supplemental/Arial Bold.ttf",
           "/System/Library/Fonts/Supplemental/Arial.ttf"}};
#else
  return {{"assets/SpaceMono-Regular.ttf", "/usr/share/fonts/truetype/dejavu/DejaVuSansMono.ttf",
           "/usr/share/fonts/truetype/liberation/LiberationMono-Regular.ttf"},
          {"assets/Syne-Bold.ttf", "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf",
           "/usr/share/fonts/truetype/liberation/LiberationSans-Bold.ttf"}};
#endif
}

bool fileExists(const std::string& path) {
  const std::ifstream stream(path);
  return stream.good();
}

void discardStandardError() {
#ifdef _WIN32
  const char* nullDevice = "NUL";
#else
  const char* nullDevice = "/dev/null";
#endif
  // The result is ignored on purpose: on failure stderr simply stays open.
  [[maybe_unused]] std::FILE* reopened = std::freopen(nullDevice, "w", stderr);
  // SFML's error stream is cut off as well, so the discard does not depend
  // on SFML writing through the same C runtime's stderr as the game.
  sf::err().rdbuf(nullptr);
}

float clampFrameTime(sf::Time measured) {
  const auto seconds = static_cast<float>(measured.asMicroseconds()) / 1'000'000.f;
  return std::min(kMaxFrameTime, seconds);
}
