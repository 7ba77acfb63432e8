#include "online/NameEntry.h"

#include <cmath>
#include <limits>
#include <string>

#include "app/Game.h"

namespace {

constexpr sf::Color kDimming{4, 8, 16, 200};
constexpr sf::Color kPanelFill{6, 12, 26, 245};
constexpr sf::Color kPanelOutline{55, 138, 221, 80};
constexpr float kPanelWidth = 440.f;
constexpr float kPromptPanelHeight = 200.f;
constexpr float kOutcomePanelHeight = 160.f;

void drawRectangle(sf::RenderTarget& target, sf::Vector2f position, sf::Vector2f size,
                   sf::Color fill, sf::Color outline) {
  sf::RectangleShape shape(size);
  shape.setPosition(position);
  shape.setFillColor(fill);
  shape.setOutlineColor(outline);
  shape.setOutlineThickness(1.f);
  target.draw(shape);
}

// A text centred on centreX (the bounds' left offset is not used); y is the
// top of its layout box.
void drawCentred(sf::RenderTarget& target, const sf::Font& font, const sf::String& string,
                 unsigned size, sf::Color colour, float centreX, float y) {
  sf::Text text(font, string, size);
  text.setFillColor(colour);
  text.setPosition({centreX - text.getLocalBounds().size.x / 2.f, y});
  target.draw(text);
}

}  // namespace

std::int32_t scoreHundredths(float elapsedSeconds) {
  const float hundredths = elapsedSeconds * 100.f;
  // Out of range would be undefined behaviour; no real run comes near it.
  if (std::isnan(hundredths)) {
    return 0;
  }
  if (hundredths >= 2147483648.f) {
    return std::numeric_limits<std::int32_t>::max();
  }
  if (hundredths <= -2147483648.f) {
    return std::numeric_limits<std::int32_t>::min();
  }
  return static_cast<std::int32_t>(hundredths);
}

char nameCursor(std::chrono::milliseconds sinceStart) {
  return sinceStart.count() % 1000 < 500 ? '_' : ' ';
}

void Game::submitName() {
  const std::string name = playerName.empty() ? std::string("Anonym") : playerName;
  nameEntryActive = false;
  // The callback holds the shared inbox, never the Game: a result that
  // arrives after the Game is gone lands in memory that still exists.
  submitter.submit(kGameId, scoreHundredths(elapsedTime), name,
                   [inbox = scoreInbox](ScoreResult result) { inbox->deliver(std::move(result)); });
}

void Game::collectScoreResult() {
  // On the main thread: the whole result is in place before the flag that
  // shows it.
  if (std::optional<ScoreResult> result = scoreInbox->take()) {
    lastResult = std::move(*result);
    resultReady = true;
  }
}

void Game::drawNameEntryOverlay() {
  if (!nameEntryActive && !resultReady) {
    return;
  }
  const sf::Vector2f size(static_cast<float>(window.getSize().x),
                          static_cast<float>(window.getSize().y));
  const float cx = size.x / 2.f;
  const float panelHeight = nameEntryActive ? kPromptPanelHeight : kOutcomePanelHeight;
  const float top = size.y / 2.f - panelHeight / 2.f;

  sf::RectangleShape dimming(size);
  dimming.setFillColor(kDimming);
  window.draw(dimming);
  drawRectangle(window, {cx - kPanelWidth / 2.f, top}, {kPanelWidth, panelHeight}, kPanelFill,
                kPanelOutline);

  if (nameEntryActive) {
    drawRectangle(window, {cx - 190.f, top + 70.f}, {380.f, 44.f}, sf::Color(55, 138, 221, 15),
                  sf::Color(55, 138, 221, 120));
    if (!fontsLoaded) {
      return;
    }
    drawCentred(window, monoFont, "LEGG INN DITT NAVN", 13, sf::Color(216, 232, 248, 110), cx,
                top + 18.f);
    drawCentred(window, monoFont, "(ENTER = send, ESC = hopp over)", 10,
                sf::Color(216, 232, 248, 40), cx, top + 38.f);
    const auto sinceStart = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now() - startedAt);
    drawCentred(window, monoFont, playerName + nameCursor(sinceStart), 18,
                sf::Color(216, 232, 248, 255), cx, top + 82.f);
    if (submitter.isBusy()) {
      drawCentred(window, monoFont, "Sender...", 12, sf::Color(240, 160, 48, 255), cx, top + 130.f);
    }
    return;
  }

  if (!fontsLoaded) {
    return;
  }
  if (lastResult.ok) {
    drawCentred(window, displayFont, "Score sendt!", 20, sf::Color(29, 158, 117, 255), cx,
                top + 30.f);
    const std::wstring place = L"#" + std::to_wstring(lastResult.place) + L" av " +
                               std::to_wstring(lastResult.total) + L" p\u00e5 leaderboard!";
    drawCentred(window, monoFont, place, 14, sf::Color(55, 138, 221, 255), cx, top + 62.f);
  } else {
    drawCentred(window, displayFont, "Score ikke sendt", 18, sf::Color(240, 160, 48, 255), cx,
                top + 30.f);
    drawCentred(window, monoFont, "(ingen internettforbindelse?)", 11,
                sf::Color(216, 232, 248, 110), cx, top + 62.f);
  }
  drawCentred(window, monoFont, L"ENTER / SPACE for \u00e5 fortsette", 11,
              sf::Color(216, 232, 248, 50), cx, top + 100.f);
}
