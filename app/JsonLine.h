// Reads one line of the headless runner's JSON output back: an object of numbers, strings,
// booleans, nulls, arrays and nested objects, with nothing after it. Strict on purpose: the lines
// are our own, so anything unusual means a damaged or foreign file and is refused with a reason.
#pragma once

#include <map>
#include <string>
#include <string_view>

class JsonLine {
 public:
  struct Value {
    enum class Kind { Number, String, Boolean, Null, Array };
    Kind kind = Kind::Null;
    double number = 0.0;
    std::string text;
    bool flag = false;
  };

  // Nested objects' members are found as "outer.inner". On failure error says where in the line
  // ("column C: ...") and what is wrong.
  static bool Parse(std::string_view line, JsonLine& out, std::string& error);

  // nullptr when the line has no such member.
  const Value* Find(const std::string& key) const;

 private:
  friend class JsonLineParser;
  std::map<std::string, Value> members;
};
