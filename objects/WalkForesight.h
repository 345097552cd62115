// A second thread that works out the sprites' walks of a step while the step's ordered update
// runs. Each walk is worked out from where the step before left the sprite; the update takes it
// only where the sprite starts its walk bit for bit from there (its own machine, or a message
// from a unit before it, may have turned it), and walks itself otherwise. A walk is a pure
// function of its start, the step's length and the ground, so a battle is the same battle with
// or without this thread: only who does the arithmetic changes.
//
// The update never waits for the thread. The thread skips what the update has passed, gives up a
// step as soon as the next one begins, and reads only the starts recorded for its step, in one of
// three buffers the update is not writing.
#pragma once

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <thread>
#include <vector>

#include "objects/Sprite.h"

class Terrain;

class WalkForesight {
 public:
  // Below this many objects a step is too short to share: handing it over would cost more.
  static constexpr std::size_t kFewestObjects = 2048;

  explicit WalkForesight(const Terrain& ground);
  ~WalkForesight();
  WalkForesight(const WalkForesight&) = delete;
  WalkForesight& operator=(const WalkForesight&) = delete;

  // Before the ordered update of count objects, each step dt long.
  void BeginStep(std::size_t count, float dt);
  // The walk worked out for the object at index, when it was worked out from exactly this start.
  bool Take(std::size_t index, const WalkStart& start, WalkEnd& end);
  // Walks taken so far.
  std::uint64_t Taken() const { return taken; }
  // Whether the step before took most of its walks from here: when it did not (units in combat
  // turn every step), the update had better fetch the ground ahead for the walks it works out.
  bool MostlyTaken() const { return mostlyTaken; }
  // Where the sprite that stands at index in the next step's order starts that step, as far as
  // this step knows. In rising order, below this step's count.
  void Record(std::size_t index, const WalkStart& start);
  // The update has reached index; the thread need not work out what lies before it.
  void Passed(std::size_t index) { passed.store(index, std::memory_order_relaxed); }
  // The update is done; the starts of the next step end at count.
  void EndStep(std::size_t count);

 private:
  struct Result {
    Vector3 position;
    bool arrived = false;
    // The step this result was worked out for; 0 is none.
    std::atomic<std::uint64_t> step{0};
  };
  struct Buffer {
    std::vector<WalkStart> starts;
    // Written by the update only: how many starts it recorded.
    std::size_t recorded = 0;
    // What the thread reads when its step begins.
    std::atomic<std::size_t> count{0};
    std::atomic<float> dt{0.0f};
  };

  void Run();
  void WorkOut(std::uint64_t forStep);
  bool Abandoned(std::uint64_t forStep) const { return published.load(std::memory_order_relaxed) != forStep; }
  // Waits until the thread has finished or given up every step published so far.
  void AwaitIdle(std::uint64_t lastPublished) const;
  static std::size_t Slot(std::uint64_t step) { return static_cast<std::size_t>(step % 3); }

  const Terrain& ground;
  std::array<Buffer, 3> buffers;
  std::vector<Result> results;
  std::uint64_t step = 0;
  std::uint64_t taken = 0;
  std::uint64_t takenBeforeStep = 0;
  std::size_t countBefore = 0;
  bool mostlyTaken = false;
  // Whether this step's starts are being recorded: not while the thread may still read the buffer.
  bool recording = false;
  std::atomic<std::uint64_t> published{0};
  // 2 * step + 1 while the thread works the step out, 2 * step + 2 once it has left it.
  std::atomic<std::uint64_t> threadAt{0};
  std::atomic<std::size_t> passed{0};
  std::atomic<bool> stopping{false};
  // Last, so that it starts once everything it reads is in place. A plain thread, stopped by
  // hand: libc++ of the determinism matrix has no std::jthread.
  std::thread thread;
};
