// What makes the battles of a study what they are, recorded in the summary of each of its shards
// so that a merge can tell the shards of one study from strangers: the battle's files by their
// content, the run's settings and the program's version. The seeds and the shard are the
// summary's own fields.
#pragma once

#include <array>
#include <string>
#include <utility>
#include <vector>

struct HeadlessOptions;
struct Scenario;

struct StudyIdentity {
  static constexpr char kBuiltIn[] = "builtin";

  std::string scenario = kBuiltIn;  // "builtin" or "crc32:XXXXXXXX" of the scenario file's bytes
  std::string heightMap;            // "crc32:XXXXXXXX" of the height map's bytes
  int frameMs = 16;
  int battles = 1;
  double maxSeconds = 1800.0;
  bool blood = true;
  std::string version;
  // Each side's strategy script by team code: "builtin" (the built-in General) or "crc32:XXXXXXXX" of
  // the script's bytes. Summaries name only the scripted sides, so older summaries read as built-in.
  std::array<std::string, 2> generals{kBuiltIn, kBuiltIn};
  // A designed study's file, "crc32:XXXXXXXX" of its bytes; empty for a study of seeds alone.
  std::string design;

  // The study the options and the loaded scenario run; false with a one-line reason when a file
  // cannot be read again.
  static bool Of(const HeadlessOptions& options, const Scenario& battle, StudyIdentity& out, std::string& error);
  static std::string ProgramVersion();
  // False for a version whose seeds play other battles than this one's (before 0.10.0 the update
  // order followed the standard library's hash table, and the C library's sine and cosine).
  static bool PlaysBattlesAsThisVersion(const std::string& version);
  // Whether version reads as one of ours does: MAJOR.MINOR.PATCH in digits.
  static bool WellFormedVersion(const std::string& version);
  // False for a version whose fingerprints of the same battles differ from this one's (before
  // 0.11.0 they left part of the state out).
  static bool FingerprintsAsThisVersion(const std::string& version);
  // One line for output recorded by such a version; empty when it plays and fingerprints battles as this one.
  static std::string OtherBattlesNote(const std::string& version);
  // "crc32:XXXXXXXX" of the file's bytes: enough to tell two files apart that were not made to
  // collide. False when the file cannot be read.
  static bool ContentHash(const std::string& path, std::string& hash);

  // Each field by its JSON name, with its value as the JSON text writes it; the Generals always,
  // so that two identities compare field by field.
  std::vector<std::pair<std::string, std::string>> Fields() const;
  // Whether a field goes into the summary: a built-in General is left out.
  static bool Shown(const std::string& name, const std::string& value);
  // ,"study":{...} for the end of a JSON summary.
  std::string Json() const;
  // "; study: ..." for the end of a text summary.
  std::string Text() const;
};
