#pragma once

// Laid-out texts kept from one frame to the next. Building an sf::Text shapes
// its string anew (HarfBuzz and FreeType), which on the title and win screens
// cost more than drawing them. While Game::drawFrame runs, the text helpers of
// render/Draw.h take their texts from the game's cache; a text that a frame
// did not draw is dropped when that frame ends, so the cache holds one
// screen's texts at most. Outside a frame the helpers build their texts on
// the stack. Main thread only.

#include <cstdint>
#include <map>
#include <string>
#include <tuple>

#include <SFML/Graphics/Font.hpp>
#include <SFML/Graphics/Text.hpp>
#include <SFML/System/String.hpp>

struct TextCache {
  using Key = std::tuple<const sf::Font*, std::u32string, unsigned, float>;
  struct Entry {
    sf::Text text;
    std::uint64_t frame = 0;
  };
  std::map<Key, Entry> entries;
  std::uint64_t frame = 0;

  // The text laid out with these settings; the caller sets its colour and
  // position, which do not change the layout.
  sf::Text& laidOut(const sf::Font& font, const sf::String& string, unsigned size,
                    float letterSpacing) {
    Key key{&font, string.toUtf32(), size, letterSpacing};
    auto found = entries.find(key);
    if (found == entries.end()) {
      sf::Text text(font, string, size);
      text.setLetterSpacing(letterSpacing);
      found = entries.emplace(std::move(key), Entry{std::move(text), frame}).first;
    }
    found->second.frame = frame;
    return found->second.text;
  }

  // Drops every text the frame that ends did not use.
  void endFrame() {
    std::erase_if(entries, [this](const auto& entry) { return entry.second.frame != frame; });
    ++frame;
  }
};

namespace draw {

// The cache of the frame being drawn, if any.
inline TextCache* frameTexts = nullptr;

// Makes the cache the frame's for as long as it lives.
struct FrameTexts {
  TextCache& cache;
  explicit FrameTexts(TextCache& texts) : cache(texts) { frameTexts = &cache; }
  ~FrameTexts() {
    frameTexts = nullptr;
    cache.endFrame();
  }
  FrameTexts(const FrameTexts&) = delete;
  FrameTexts& operator=(const FrameTexts&) = delete;
};

// Runs use(text) with the text laid out with these settings: the frame's
// cached one while a frame is drawn, else a fresh one.
template <typename Use>
void withText(const sf::Font& font, const sf::String& string, unsigned size, float letterSpacing,
              Use use) {
  if (frameTexts != nullptr) {
    use(frameTexts->laidOut(font, string, size, letterSpacing));
    return;
  }
  sf::Text text(font, string, size);
  text.setLetterSpacing(letterSpacing);
  use(text);
}

}  // namespace draw
