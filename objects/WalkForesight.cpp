// The walks of a large army worked out beside its ordered update.
#include "objects/WalkForesight.h"

#include <algorithm>

namespace {
// How often the thread looks whether the update has passed it or the step is over.
constexpr std::size_t kLookEvery = 64;
}  // namespace

WalkForesight::WalkForesight(const Terrain& walkedGround)
    : ground(walkedGround), thread([this] { Run(); }) {}

WalkForesight::~WalkForesight() {
  stopping.store(true, std::memory_order_relaxed);
  published.fetch_add(1, std::memory_order_release);
  published.notify_one();
  thread.join();
}

void WalkForesight::AwaitIdle(std::uint64_t lastPublished) const {
  if (lastPublished == 0) return;
  while (threadAt.load(std::memory_order_acquire) < 2 * lastPublished + 2) std::this_thread::yield();
}

// The results grow only while the thread is idle: it writes into them.
void WalkForesight::BeginStep(std::size_t count, float dt) {
  ++step;
  mostlyTaken = 2 * (taken - takenBeforeStep) > countBefore;
  takenBeforeStep = taken;
  countBefore = count;
  if (results.size() < count) {
    AwaitIdle(step - 1);
    results = std::vector<Result>(std::max(count, 2 * results.size()));
  }
  Buffer& current = buffers[Slot(step)];
  current.count.store(std::min(current.recorded, count), std::memory_order_relaxed);
  current.dt.store(dt, std::memory_order_relaxed);
  // The next step's buffer is the one the thread read two steps ago.
  recording = threadAt.load(std::memory_order_acquire) >= 2 * (step - 2) + 2 || step < 3;
  Buffer& next = buffers[Slot(step + 1)];
  next.recorded = 0;
  // The next step's objects stand at most where this step's stand now.
  if (recording && next.starts.size() < count) next.starts.resize(std::max(count, 2 * next.starts.size()));
  passed.store(0, std::memory_order_relaxed);
  published.store(step, std::memory_order_release);
  published.notify_one();
}

bool WalkForesight::Take(std::size_t index, const WalkStart& start, WalkEnd& end) {
  if (index >= results.size()) return false;
  const Result& result = results[index];
  if (result.step.load(std::memory_order_acquire) != step) return false;
  const Buffer& current = buffers[Slot(step)];
  if (index >= current.count.load(std::memory_order_relaxed) || !current.starts[index].SameAs(start)) return false;
  end.position = result.position;
  end.arrived = result.arrived;
  ++taken;
  return true;
}

void WalkForesight::Record(std::size_t index, const WalkStart& start) {
  if (!recording) return;
  Buffer& next = buffers[Slot(step + 1)];
  next.starts[index] = start;
  next.recorded = index + 1;
}

void WalkForesight::EndStep(std::size_t count) {
  Buffer& next = buffers[Slot(step + 1)];
  next.recorded = recording ? std::min(next.recorded, count) : 0;
}

void WalkForesight::Run() {
  std::uint64_t seen = 0;
  while (true) {
    published.wait(seen, std::memory_order_acquire);
    if (stopping.load(std::memory_order_relaxed)) return;
    seen = published.load(std::memory_order_acquire);
    threadAt.store(2 * seen + 1, std::memory_order_release);
    WorkOut(seen);
    threadAt.store(2 * seen + 2, std::memory_order_release);
  }
}

// Each stretch starts a little ahead of where the update last said it was.
void WalkForesight::WorkOut(std::uint64_t forStep) {
  const Buffer& buffer = buffers[Slot(forStep)];
  const std::size_t count = buffer.count.load(std::memory_order_relaxed);
  const float dt = buffer.dt.load(std::memory_order_relaxed);
  std::size_t index = 0;
  while (index < count && !Abandoned(forStep)) {
    index = std::max(index, passed.load(std::memory_order_relaxed) + kLookEvery);
    for (const std::size_t end = std::min(count, index + kLookEvery); index < end; ++index) {
      const WalkEnd walked = Sprite::Walk(buffer.starts[index], dt, ground);
      Result& result = results[index];
      result.position = walked.position;
      result.arrived = walked.arrived;
      result.step.store(forStep, std::memory_order_release);
    }
  }
}
