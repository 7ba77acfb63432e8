#include "online/NameEntry.h"

#include <cmath>
#include <limits>
#include <string>

#include "app/Game.h"
#include "render/Look.h"

using look::kDeepBlue;
using look::kSnow;
using look::withAlpha;

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

// The name entry's overlay comes in two parts: this panel with everything but
// the typed name line, and that line, which changes with every key and every
// blink of the cursor and so is drawn on its own, over the panel.
void Game::drawNameEntryPanel(Canvas& canvas) const {
  if (!nameEntryActive && !resultReady) {
    return;
  }
  const sf::Vector2f size = canvas.size();
  const float cx = size.x / 2.f;
  const float panelHeight = nameEntryActive ? look::kPromptPanelHeight : look::kOutcomePanelHeight;
  const float top = size.y / 2.f - panelHeight / 2.f;

  canvas.rect({0.f, 0.f}, size, withAlpha(look::kNight, 200));
  canvas.rect({cx - look::kNameEntryPanelWidth / 2.f, top},
              {look::kNameEntryPanelWidth, panelHeight}, withAlpha(look::kPanel, 245),
              withAlpha(kDeepBlue, 80), 1.f);

  if (nameEntryActive) {
    canvas.rect({cx - 190.f, top + 70.f}, {380.f, 44.f}, withAlpha(kDeepBlue, 15),
                withAlpha(kDeepBlue, 120), 1.f);
    if (!fontsLoaded) {
      return;
    }
    canvas.centredText(monoFont, "LEGG INN DITT NAVN", 13, withAlpha(kSnow, 110), cx, top + 18.f);
    canvas.centredText(monoFont, "(ENTER = send, ESC = hopp over)", 10, withAlpha(kSnow, 40), cx,
                       top + 38.f);
    return;
  }

  if (!fontsLoaded) {
    return;
  }
  // Only ok, place and total are shown; the error text stays in the record.
  if (lastResult.ok) {
    canvas.centredText(displayFont, "Score sendt!", 20, look::kGreen, cx, top + 30.f);
    const std::wstring place = L"#" + std::to_wstring(lastResult.place) + L" av " +
                               std::to_wstring(lastResult.total) + L" p\u00e5 leaderboard!";
    canvas.centredText(monoFont, place, 14, kDeepBlue, cx, top + 62.f);
  } else {
    canvas.centredText(displayFont, "Score ikke sendt", 18, look::kAmber, cx, top + 30.f);
    canvas.centredText(monoFont, "(ingen internettforbindelse?)", 11, withAlpha(kSnow, 110), cx,
                       top + 62.f);
  }
  canvas.centredText(monoFont, L"ENTER / SPACE for \u00e5 fortsette", 11, withAlpha(kSnow, 50), cx,
                     top + 100.f);
}

// The name with its blinking cursor, and "Sender..." while an earlier score
// is still on its way.
void Game::drawNameEntryLine(Canvas& canvas) const {
  if (!nameEntryActive || !fontsLoaded) {
    return;
  }
  const sf::Vector2f size = canvas.size();
  const float cx = size.x / 2.f;
  const float top = size.y / 2.f - look::kPromptPanelHeight / 2.f;
  const auto sinceStart = std::chrono::duration_cast<std::chrono::milliseconds>(
      std::chrono::steady_clock::now() - startedAt);
  canvas.centredText(monoFont, playerName + nameCursor(sinceStart), 18, kSnow, cx, top + 82.f);
  if (submitter.isBusy()) {
    canvas.centredText(monoFont, "Sender...", 12, look::kAmber, cx, top + 130.f);
  }
}
