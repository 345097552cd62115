// Reads the lines of the headless runner's JSON output back with nlohmann/json, bounded for files
// from anywhere: a line is one object of at most kLongestLine bytes whose members nest three levels
// at most, as ours do; anything else is refused with a reason and no exception escapes.
#pragma once

#include <cstddef>
#include <istream>
#include <nlohmann/json_fwd.hpp>
#include <string>
#include <string_view>
#include <vector>

class JsonLine {
 public:
  // A battle line names the follower type of every squad: 5000 squads a side take 120 KB.
  static constexpr std::size_t kLongestLine = 1 << 20;

  explicit JsonLine(std::istream& lines) : in(lines) {}

  enum class Read { Line, End, TooLong };
  // The next line into text (without its newline); a longer line is not read whole.
  Read Next(std::string& text);

  // On failure error says what is wrong, where in the line when the reader knows ("column C: ...").
  static bool Parse(std::string_view line, nlohmann::json& out, std::string& error);

  // The member at a dotted path ("kills.soldier"); nullptr when the line has no such member.
  static const nlohmann::json* Find(const nlohmann::json& line, std::string_view path);

 private:
  std::istream& in;
  std::vector<char> buffer = std::vector<char>(kLongestLine + 1);
};
