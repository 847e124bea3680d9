#include "qel/QelThread.h"

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>

namespace {

enum class Phase { Created, Running, Ended, Discarded };

// Shared by the handle and the running thread, so either may go first.
struct ThreadState {
  std::mutex mutex;
  std::condition_variable ended;
  Phase phase = Phase::Created;
  uint32_t exitCode = 0;
  QelThreadEntry entry = nullptr;
  void* argument = nullptr;
};

}  // namespace

struct QelThreadRec {
  std::shared_ptr<ThreadState> state;
  std::thread thread;
  int32_t priority = 0;
};

QelThreadRef QelCreateThread(QelThreadEntry entry, void* argument, uint32_t flags,
                             uint32_t /*stackSize*/) {
  if (!entry) return nullptr;
  auto* rec = new (std::nothrow) QelThreadRec;
  if (!rec) return nullptr;
  rec->state = std::make_shared<ThreadState>();
  rec->state->entry = entry;
  rec->state->argument = argument;
  if ((flags & QEL_THREAD_START_NOW) && QelResumeThread(rec) == QEL_RESUME_FAILED) {
    delete rec;
    return nullptr;
  }
  return rec;
}

uint32_t QelResumeThread(QelThreadRef thread) {
  if (!thread) return QEL_RESUME_FAILED;
  std::shared_ptr<ThreadState> state = thread->state;
  std::lock_guard<std::mutex> lock(state->mutex);
  if (state->phase == Phase::Discarded) return QEL_RESUME_FAILED;
  if (state->phase != Phase::Created) return 0;
  try {
    thread->thread = std::thread([state] {
      uint32_t code = state->entry(state->argument);
      std::lock_guard<std::mutex> done(state->mutex);
      state->exitCode = code;
      state->phase = Phase::Ended;
      state->ended.notify_all();
    });
  } catch (const std::system_error&) {
    return QEL_RESUME_FAILED;
  }
  state->phase = Phase::Running;
  return 1;
}

uint32_t QelWaitThread(QelThreadRef thread, int32_t milliseconds) {
  if (!thread) return QEL_WAIT_FAILED;
  ThreadState& state = *thread->state;
  std::unique_lock<std::mutex> lock(state.mutex);
  if (state.phase == Phase::Created) return QEL_WAIT_FAILED;
  auto over = [&] { return state.phase != Phase::Running; };
  if (milliseconds < 0) {
    state.ended.wait(lock, over);
    return QEL_WAIT_OBJECT_0;
  }
  return state.ended.wait_for(lock, std::chrono::milliseconds(milliseconds), over)
             ? QEL_WAIT_OBJECT_0
             : QEL_WAIT_TIMEOUT;
}

int32_t QelTerminateThread(QelThreadRef thread, uint32_t exitCode) {
  if (!thread) return 0;
  ThreadState& state = *thread->state;
  std::unique_lock<std::mutex> lock(state.mutex);
  switch (state.phase) {
    case Phase::Created:
      state.phase = Phase::Discarded;
      state.exitCode = exitCode;
      return 1;
    case Phase::Running:
      if (thread->thread.get_id() == std::this_thread::get_id()) return 0;
      state.ended.wait(lock, [&] { return state.phase != Phase::Running; });
      return 1;
    default:
      return 1;
  }
}

int32_t QelGetThreadExitCode(QelThreadRef thread, uint32_t* exitCode) {
  if (!thread || !exitCode) return 0;
  std::lock_guard<std::mutex> lock(thread->state->mutex);
  Phase phase = thread->state->phase;
  *exitCode = (phase == Phase::Ended || phase == Phase::Discarded) ? thread->state->exitCode : 0;
  return 1;
}

int32_t QelSetThreadPriority(QelThreadRef thread, int32_t priority) {
  if (!thread) return 0;
  thread->priority = priority;
  return 1;
}

void QelCloseThreadRef(QelThreadRef thread) {
  if (!thread) return;
  if (thread->thread.joinable()) {
    bool ended;
    {
      std::lock_guard<std::mutex> lock(thread->state->mutex);
      ended = thread->state->phase == Phase::Ended;
    }
    if (ended && thread->thread.get_id() != std::this_thread::get_id()) {
      thread->thread.join();
    } else {
      thread->thread.detach();  // holds its own share of the state
    }
  }
  delete thread;
}

void QelSleep(uint32_t milliseconds) {
  std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}
