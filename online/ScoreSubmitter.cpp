#include "online/ScoreSubmitter.h"

ScoreSubmitter::~ScoreSubmitter() {
  if (worker.joinable()) {
    worker.detach();
  }
}
void ScoreSubmitter::submit(const std::string&, std::int32_t, const std::string&,
                            std::function<void(ScoreResult)>) {}
bool ScoreSubmitter::isBusy() const { return busy->load(); }
void ScoreInbox::deliver(ScoreResult) {}
std::optional<ScoreResult> ScoreInbox::take() { return std::nullopt; }
