#include "online/ScoreSubmitter.h"

#include <system_error>
#include <utility>

void runSubmission(SubmissionTask& task) {
  ScoreResult result = task.endpoint
                           ? postScoreTo(*task.endpoint, task.gameId, task.score, task.name)
                           : postScore(task.gameId, task.score, task.name);
  // Cleared before the callback: a new submission may start while this one
  // is still handing over its result.
  task.busy->store(false);
  if (task.callback) {
    task.callback(std::move(result));
  }
}

void ScoreSubmitter::submit(const std::string& gameId, std::int32_t score, const std::string& name,
                            std::function<void(ScoreResult)> callback) {
  // Test and set in one step, on the calling thread: no second submission can
  // slip in between.
  if (busy->exchange(true)) {
    return;  // refused; the callback goes away unrun
  }

  auto task = std::make_shared<SubmissionTask>(SubmissionTask{.busy = busy,
                                                              .endpoint = endpoint,
                                                              .gameId = gameId,
                                                              .score = score,
                                                              .name = name,
                                                              .callback = std::move(callback)});
  // std::thread reports a thread that cannot be started only by throwing;
  // this is the one place the game catches anything.
  try {
    worker = std::thread([task] { runSubmission(*task); });
  } catch (const std::system_error&) {
    busy->store(false);
    if (task->callback) {
      ScoreResult failed;
      failed.error = kNoWorkerThread;
      task->callback(std::move(failed));
    }
    return;
  }
  // Detached at once, so the worker never holds a thread on return and there
  // is nothing to join or detach later. A worker in flight is not waited for:
  // it owns its task, the busy flag and whatever its callback holds, so it
  // never comes back to this object.
  worker.detach();
}

bool ScoreSubmitter::isBusy() const { return busy->load(); }

void ScoreInbox::deliver(ScoreResult result) {
  const std::lock_guard guard(lock);
  pending = std::move(result);
}

std::optional<ScoreResult> ScoreInbox::take() {
  const std::lock_guard guard(lock);
  return std::exchange(pending, std::nullopt);
}
