// The field readers and the line loop that merges and verification share.
#include "app/study/JsonFields.h"

#include <filesystem>
#include <fstream>
#include <limits>
#include <utility>

#include "app/study/JsonLine.h"

namespace JsonFields {

using nlohmann::json;

void Refuse(std::string what) { throw Refusal{std::move(what)}; }

const json& Member(const json& line, const std::string& key) {
  const json* value = JsonLine::Find(line, key);
  if (value == nullptr) Refuse("\"" + key + "\" is missing");
  return *value;
}

long long Whole(const json& line, const std::string& key, long long most) {
  const json& value = Member(line, key);
  if (!value.is_number_integer() || value.get<long long>() < 0 || value.get<long long>() > most) {
    Refuse("\"" + key + "\" must be a whole number from 0 to " + std::to_string(most));
  }
  return value.get<long long>();
}

int Count(const json& line, const std::string& key) {
  return static_cast<int>(Whole(line, key, std::numeric_limits<int>::max()));
}

std::string Text(const json& line, const std::string& key) {
  const json& value = Member(line, key);
  if (!value.is_string()) Refuse("\"" + key + "\" must be a string");
  return value.get<std::string>();
}

SeedRange Shard(const json& line) {
  SeedRange shard;
  const std::string range = Text(line, "seeds");
  if (!SeedRange::ParseRange(range, shard).empty()) Refuse("\"seeds\" must be a range A-B, not '" + range + "'");
  if (JsonLine::Find(line, "shard") == nullptr) return shard;
  const std::string text = Text(line, "shard");
  if (!SeedRange::ParseShard(text, shard).empty()) Refuse("\"shard\" must be I/N, not '" + text + "'");
  return shard;
}

bool ReadFile(const std::string& path, std::string& error, const std::function<bool(std::istream&)>& read) {
  std::error_code ignored;
  if (std::filesystem::is_directory(path, ignored)) {
    error = path + ": is a directory; give the files of JSON lines in it";
    return false;
  }
  std::ifstream file(path);
  if (!file) {
    error = path + ": cannot be read";
    return false;
  }
  return read(file);
}

bool EndsWithSummary(const std::string& name, int lineCount, bool blockOpen, const std::string& kind,
                     const std::string& why, std::string& error) {
  if (lineCount > 0 && !blockOpen) return true;
  error = name + ": " + (lineCount == 0 ? "is empty" : "ends without a summary after its last " + kind + " lines") +
          "; " + why;
  return false;
}

bool ReadLines(std::istream& lines, const std::string& name, const std::string& notOurs,
               const std::function<void(const json&, const std::string&)>& addLine, int& number,
               std::string& error) {
  number = 0;
  std::string text;
  try {
    JsonLine reader(lines);
    for (JsonLine::Read read; (read = reader.Next(text)) != JsonLine::Read::End;) {
      ++number;
      if (read == JsonLine::Read::TooLong) {
        Refuse("a line longer than " + std::to_string(JsonLine::kLongestLine) + " bytes: not one of our JSON lines");
      }
      json line;
      std::string reason;
      if (!JsonLine::Parse(text, line, reason)) Refuse("not one of our JSON lines (" + notOurs + "): " + reason);
      addLine(line, name + ":" + std::to_string(number));
    }
  } catch (const Refusal& refusal) {
    error = name + ":" + std::to_string(number) + ": " + refusal.what;
    return false;
  }
  return true;
}

bool ReadRecords(std::istream& lines, const std::string& name, bool merging,
                 const std::function<void(const nlohmann::json&, const std::string&)>& addLine,
                 const std::function<bool()>& blockOpen, const std::string& kind, const std::string& cutOff,
                 std::string& error) {
  int number = 0;
  if (!ReadLines(lines, name, merging ? "run the shards with --json" : "verify --json output", addLine, number, error)) {
    return false;
  }
  return EndsWithSummary(name, number, blockOpen(), kind, merging ? "the shard did not finish: run it again" : cutOff,
                         error);
}

}  // namespace JsonFields
