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

// One accepted submission, owned by its worker thread.
struct SubmissionTask {
  std::shared_ptr<std::atomic<bool>> busy;
  std::optional<ScoreEndpoint> endpoint;
  std::string gameId;
  std::int32_t score = 0;
  std::string name;
  std::function<void(ScoreResult)> callback;
};

// Sends scores on a detached background thread, one at a time. The busy flag
// is shared with the worker so a worker that outlives the game still has it.
struct ScoreSubmitter {
  std::thread worker;
  std::shared_ptr<std::atomic<bool>> busy = std::make_shared<std::atomic<bool>>(false);
  std::optional<ScoreEndpoint> endpoint;  // set by tests only; else the leaderboard

  ScoreSubmitter() = default;
  ScoreSubmitter(const ScoreSubmitter&) = delete;
  ScoreSubmitter& operator=(const ScoreSubmitter&) = delete;
  ~ScoreSubmitter();

  // Refused (the callback dropped unrun) while a submission is in flight.
  void submit(const std::string& gameId, std::int32_t score, const std::string& name,
              std::function<void(ScoreResult)> callback);
  bool isBusy() const;
};

// Where a worker leaves its result for the main thread. Shared with the
// worker, so a late result lands in memory that still exists.
struct ScoreInbox {
  std::mutex lock;
  std::optional<ScoreResult> pending;

  void deliver(ScoreResult result);
  std::optional<ScoreResult> take();
};
