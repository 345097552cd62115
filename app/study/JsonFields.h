// Reading our own JSON output back from files users share (shards, recorded studies): a line or
// field that is not what we write refuses the whole file with one reason, "FILE:LINE: reason".
#pragma once

#include <functional>
#include <istream>
#include <string>

#include <nlohmann/json.hpp>

#include "app/setup/SeedRange.h"

namespace JsonFields {

// Thrown by the readers below and caught by ReadLines, which names the file and line.
struct Refusal {
  std::string what;
};

[[noreturn]] void Refuse(std::string what);

const nlohmann::json& Member(const nlohmann::json& line, const std::string& key);
// A whole number from 0 to most.
long long Whole(const nlohmann::json& line, const std::string& key, long long most);
int Count(const nlohmann::json& line, const std::string& key);
std::string Text(const nlohmann::json& line, const std::string& key);
// A summary's "seeds" range and its "shard" I/N; a summary without "shard" is the one shard 0/1.
SeedRange Shard(const nlohmann::json& line);

// Opens the file at path and hands it to read; false with "PATH: cannot be read" or "PATH: is a
// directory; ...".
bool ReadFile(const std::string& path, std::string& error, const std::function<bool(std::istream&)>& read);
// The check after the last line: false with "NAME: is empty" or "NAME: ends without a summary
// after its last KIND lines" (when a block of such lines is still open), then "; " and why.
bool EndsWithSummary(const std::string& name, int lineCount, bool blockOpen, const std::string& kind,
                     const std::string& why, std::string& error);

// Hands every JSON line of lines to addLine with its place "NAME:N" and counts them in number.
// False with error "NAME:N: reason" at the first line refused; notOurs ends the reason given for a
// line that is not JSON ("run the shards with --json").
bool ReadLines(std::istream& lines, const std::string& name, const std::string& notOurs,
               const std::function<void(const nlohmann::json&, const std::string&)>& addLine, int& number,
               std::string& error);

// One file's lines read by a merge (merging) or a verifier: ReadLines, then EndsWithSummary while
// blockOpen says lines wait for their summary. cutOff is the verifier's reason for such lines (a
// merge says to run the shard again); kind names the lines ("battle").
bool ReadRecords(std::istream& lines, const std::string& name, bool merging,
                 const std::function<void(const nlohmann::json&, const std::string&)>& addLine,
                 const std::function<bool()>& blockOpen, const std::string& kind, const std::string& cutOff,
                 std::string& error);

}  // namespace JsonFields
