// The seeds of a study (or of its shard) run on several threads at once: each thread takes the
// next seed not yet taken, runs it into lines of its own and hands them back, and the study takes
// them in seed order, so that it writes what one thread would have written.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

#include "app/run/RunSummary.h"
#include "app/run/StepHistogram.h"
#include "app/setup/SeedRange.h"

class SeedWorkers {
 public:
  // One seed's battle lines and their counts.
  struct SeedLines {
    std::string text;
    RunSummary summary;
  };
  // Runs one seed on the calling thread: its step times go into steps, its frames onto frames.
  using RunSeed = std::function<SeedLines(unsigned seed, StepHistogram& steps, long long& frames)>;

  // Starts the threads at once; a thread takes no seed after an interrupt.
  SeedWorkers(const SeedRange& studySeeds, int threadCount, RunSeed seedRunner);
  ~SeedWorkers();
  SeedWorkers(const SeedWorkers&) = delete;
  SeedWorkers& operator=(const SeedWorkers&) = delete;

  // The next seed's lines in seed order, once it is done; nullopt after the last seed, or when
  // the threads stopped (interrupted) before running it. Says on progress, when not null, how
  // many seeds are done.
  std::optional<SeedLines> Next(std::ostream* progress);
  // Hands out no more seeds and waits for the threads; adds every thread's steps and frames.
  void Finish(StepHistogram& steps, long long& frames);

 private:
  void Work(std::size_t thread);
  void StopAndJoin();

  SeedRange seeds;
  RunSeed runSeed;
  std::atomic<std::uint64_t> nextPosition{0};
  std::mutex mutex;
  std::condition_variable seedDone;
  // Seeds done but not yet taken, by position; guarded by mutex like the counts below.
  std::map<std::uint64_t, SeedLines> done;
  std::uint64_t nextInOrder = 0;
  std::uint64_t doneCount = 0;
  std::uint64_t doneShown = 0;  // on the progress stream
  std::size_t running = 0;
  // Each thread's own, added up when they have stopped.
  std::vector<StepHistogram> threadSteps;
  std::vector<long long> threadFrames;
  // Plain threads, stopped by hand: libc++ 14 has no std::jthread, and the headless program
  // builds with it too.
  std::atomic<bool> stopRequested{false};
  std::vector<std::thread> threads;
};
