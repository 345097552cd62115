// A study's seeds on several threads, handed back in seed order.
#include "app/study/SeedWorkers.h"

#include <utility>

#include "platform/Interrupt.h"

SeedWorkers::SeedWorkers(const SeedRange& studySeeds, int threadCount, RunSeed seedRunner)
    : seeds(studySeeds),
      runSeed(std::move(seedRunner)),
      running(static_cast<std::size_t>(threadCount)),
      threadSteps(static_cast<std::size_t>(threadCount)),
      threadFrames(static_cast<std::size_t>(threadCount), 0) {
  // Counted from threadCount, never from running: a thread that finds nothing to do (an interrupt
  // came first) leaves at once and counts running down while the later ones are still started.
  const auto count = static_cast<std::size_t>(threadCount);
  threads.reserve(count);
  for (std::size_t thread = 0; thread < count; ++thread) {
    threads.emplace_back([this, thread] { Work(thread); });
  }
}

SeedWorkers::~SeedWorkers() { StopAndJoin(); }

void SeedWorkers::StopAndJoin() {
  stopRequested = true;
  for (std::thread& thread : threads) {
    if (thread.joinable()) thread.join();
  }
  threads.clear();
}

void SeedWorkers::Work(std::size_t thread) {
  while (!stopRequested && !Interrupt::Requested()) {
    const std::uint64_t position = nextPosition.fetch_add(1);
    const std::optional<unsigned> seed = seeds.At(position);
    if (!seed) break;
    SeedLines lines = runSeed(*seed, threadSteps[thread], threadFrames[thread]);
    const std::lock_guard lock(mutex);
    done.emplace(position, std::move(lines));
    ++doneCount;
    seedDone.notify_all();
  }
  const std::lock_guard lock(mutex);
  --running;
  seedDone.notify_all();
}

std::optional<SeedWorkers::SeedLines> SeedWorkers::Next(std::ostream* progress) {
  std::unique_lock lock(mutex);
  for (;;) {
    if (progress != nullptr && doneCount != doneShown) {
      doneShown = doneCount;
      *progress << "\rseeds done: " << doneCount << " of " << seeds.Count() << std::flush;
    }
    const auto found = done.find(nextInOrder);
    if (found != done.end()) {
      SeedLines lines = std::move(found->second);
      done.erase(found);
      ++nextInOrder;
      return lines;
    }
    if (running == 0) return std::nullopt;
    seedDone.wait(lock);
  }
}

void SeedWorkers::Finish(StepHistogram& steps, long long& frames) {
  StopAndJoin();
  for (const StepHistogram& each : threadSteps) steps += each;
  for (const long long each : threadFrames) frames += each;
}
