// Bodies of the fuzzing harnesses, shared by the libFuzzer programs and the regression suite.
// Each checks the invariants a caller relies on and aborts with a message when one breaks.
#pragma once

#include <cstddef>
#include <cstdint>

#include "tests/fuzz/FuzzOutcome.h"

// Arbitrary bytes through the PNG decode, as they are and with their chunk checksums mended; the
// outcome is that of the bytes as they are.
FuzzOutcome DecodePngBytes(const std::uint8_t* data, std::size_t size);
// Arbitrary bytes, chunk checksums mended, loaded as the height map the way the game does, then
// scaled, queried and searched.
FuzzOutcome LoadHeightMapBytes(const std::uint8_t* data, std::size_t size);
// Arbitrary bytes read as a scenario file beside the shipped ones; an accepted file has its height
// map loaded and, when it asks for no more than a few thousand units, its armies raised and a few
// frames run.
FuzzOutcome LoadScenarioBytes(const std::uint8_t* data, std::size_t size);

// Arbitrary bytes read as a design file beside the shipped scenarios; an accepted design of a few
// dozen points has every point's battle made through the scenario reader.
FuzzOutcome LoadDesignBytes(const std::uint8_t* data, std::size_t size);

// Arbitrary bytes read as our JSON output by every reader of it: merged as a study's shard and as a
// tournament's, then once more as a second file, and read as --verify reads them. Each refuses
// with one line naming the file, or accepts; the same shard given twice is always refused. Loaded
// when either merge accepted it.
FuzzOutcome MergeShardBytes(const std::uint8_t* data, std::size_t size);

// Arbitrary text as a red General's strategy script in a tiny battle: loaded, then asked for a few
// squad orders and fight decisions; a refusal or failure says why on one line, an order is sane.
FuzzOutcome RunStrategyBytes(const std::uint8_t* data, std::size_t size);

// A libFuzzer program's entry into one harness: the outcome serves the regression suite, and the
// fuzzer wants 0 for every input it may keep.
template <FuzzOutcome (*Harness)(const std::uint8_t*, std::size_t)>
int FuzzEntry(const std::uint8_t* data, std::size_t size) {
  Harness(data, size);
  return 0;
}

// Arbitrary bytes, the checksum in their header mended, read as a battle file: refused with one
// line, or a battle that plays a few frames and fingerprints alike when written and read again.
// Width and height are the loaded battle's terrain's.
FuzzOutcome ReadBattleBytes(const std::uint8_t* data, std::size_t size);
