// The bounded reader of our JSON lines.
#include "app/study/JsonLine.h"

#include <nlohmann/json.hpp>
#include <set>
#include <utility>
#include <vector>

namespace {
// A designed study's lines go deepest: its factors, a level that is a list, a list inside it.
constexpr int kDeepest = 3;

struct Fault {
  std::string what;
};

// nlohmann's messages are "[json.exception.NAME] parse error at line 1, column C: REASON; last
// read: ...": the column and the reason are kept, the echo of the input is not.
std::string Reason(const nlohmann::json::exception& failure) {
  std::string text = failure.what();
  const std::size_t column = text.find("column ");
  const std::size_t start = column != std::string::npos ? column : text.find("] ") + 2;
  text = text.substr(start);
  const std::size_t echo = text.find("; last read");
  return echo == std::string::npos ? text : text.substr(0, echo);
}

// Refuses nesting deeper than ours and a member named twice in one object, which the library
// would take silently (the last one winning).
class Guard {
 public:
  bool operator()(int depth, nlohmann::json::parse_event_t event, nlohmann::json& parsed) {
    using Event = nlohmann::json::parse_event_t;
    const auto level = static_cast<std::size_t>(depth);
    if (event == Event::object_start || event == Event::array_start) {
      if (depth > kDeepest) throw Fault{"objects or arrays nested deeper than ours"};
      keys.resize(level + 2);
      keys[level + 1].clear();
    } else if (event == Event::key && !keys[level].insert(parsed.get<std::string>()).second) {
      throw Fault{"\"" + parsed.get<std::string>() + "\" appears twice"};
    }
    return true;
  }

 private:
  std::vector<std::set<std::string>> keys;
};
}  // namespace

JsonLine::Read JsonLine::Next(std::string& text) {
  in.getline(buffer.data(), static_cast<std::streamsize>(buffer.size()));
  const auto length = static_cast<std::size_t>(in.gcount());
  // getline stores at most kLongestLine bytes; failing without reaching the end means it stopped
  // there, inside a longer line.
  if (in.fail() && !in.eof()) return Read::TooLong;
  if (in.fail() && length == 0) return Read::End;
  text.assign(buffer.data(), length - (in.eof() ? 0 : 1));
  return Read::Line;
}

bool JsonLine::Parse(std::string_view line, nlohmann::json& out, std::string& error) {
  if (line.size() > kLongestLine) {
    error = "longer than " + std::to_string(kLongestLine) + " bytes";
    return false;
  }
  try {
    nlohmann::json parsed = nlohmann::json::parse(line, Guard());
    if (!parsed.is_object()) throw Fault{"an object {...} expected"};
    out = std::move(parsed);
    return true;
  } catch (const Fault& fault) {
    error = fault.what;
  } catch (const nlohmann::json::exception& failure) {
    error = Reason(failure);
  }
  return false;
}

const nlohmann::json* JsonLine::Find(const nlohmann::json& line, std::string_view path) {
  const nlohmann::json* at = &line;
  while (at != nullptr) {
    const std::size_t dot = path.find('.');
    const auto found = at->is_object() ? at->find(path.substr(0, dot)) : at->end();
    at = found == at->end() ? nullptr : &*found;
    if (dot == std::string_view::npos) return at;
    path.remove_prefix(dot + 1);
  }
  return nullptr;
}
