#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "online/ScoreClient.h"

// One accepted submission, owned by its worker thread. It holds the busy flag
// by shared ownership, never the submitter itself, so a worker that outlives
// the game touches only memory that still exists.
struct SubmissionTask {
  std::shared_ptr<std::atomic<bool>> busy;
  std::optional<ScoreEndpoint> endpoint;  // empty: the leaderboard (postScore)
  std::string gameId;
  std::int32_t score = 0;
  std::string name;
  std::function<void(ScoreResult)> callback;
};

// The worker body: the exchange, then busy cleared, then the callback.
void runSubmission(SubmissionTask& task);

// Sends scores on a detached background thread, one at a time.
struct ScoreSubmitter {
  std::thread worker;  // empty but for the moment between a start and its detach
  std::shared_ptr<std::atomic<bool>> busy = std::make_shared<std::atomic<bool>>(false);
  std::optional<ScoreEndpoint> endpoint;  // set by tests only; else the leaderboard

  ScoreSubmitter() = default;
  ScoreSubmitter(const ScoreSubmitter&) = delete;
  ScoreSubmitter& operator=(const ScoreSubmitter&) = delete;

  // Refused (the callback dropped unrun) while a submission is in flight.
  // When no thread can be started, busy stays false and the callback gets a
  // failed result at once, on the calling thread.
  void submit(const std::string& gameId, std::int32_t score, const std::string& name,
              std::function<void(ScoreResult)> callback);
  bool isBusy() const;
};

// The error text of a submission whose thread could not be started.
inline constexpr std::string_view kNoWorkerThread = "Kunne ikke starte sendingen";

// Where a worker leaves its result for the main thread. Shared with the
// worker, so a late result lands in memory that still exists; the main thread
// takes it out whole, under the same lock.
struct ScoreInbox {
  std::mutex lock;
  std::optional<ScoreResult> pending;

  void deliver(ScoreResult result);
  std::optional<ScoreResult> take();
};
