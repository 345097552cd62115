// The strict reader of our JSON lines.
#include "app/JsonLine.h"

#include <cctype>
#include <charconv>
#include <utility>

namespace {
struct Fault {
  std::size_t at;
  std::string what;
};
}  // namespace

// One pass over the line; the first fault found ends the parse.
class JsonLineParser {
 public:
  JsonLineParser(std::string_view text, JsonLine& into) : line(text), out(into) {}

  void ParseLine() {
    SkipSpace();
    Object("", 0);
    SkipSpace();
    if (at != line.size()) Fail("text after the object");
  }

 private:
  // Our lines nest an object in an object at most; deeper means not ours.
  static constexpr int kDeepest = 2;

  [[noreturn]] void Fail(std::string what) const { throw Fault{at, std::move(what)}; }

  void SkipSpace() {
    while (at < line.size() && (line[at] == ' ' || line[at] == '\t')) ++at;
  }

  void Expect(char c) {
    SkipSpace();
    if (at >= line.size() || line[at] != c) Fail(std::string("'") + c + "' expected");
    ++at;
  }

  bool Next(char c) {
    SkipSpace();
    if (at < line.size() && line[at] == c) {
      ++at;
      return true;
    }
    return false;
  }

  void Object(const std::string& prefix, int depth) {
    if (depth >= kDeepest) Fail("objects nested too deep");
    Expect('{');
    if (Next('}')) return;
    do {
      SkipSpace();
      const std::string key = prefix + String();
      Expect(':');
      Member(key, depth);
    } while (Next(','));
    Expect('}');
  }

  void Member(const std::string& key, int depth) {
    SkipSpace();
    if (at < line.size() && line[at] == '{') {
      Object(key + ".", depth + 1);
      return;
    }
    const std::size_t start = at;
    JsonLine::Value value = Scalar();
    if (at < line.size() && line[at] == '[') value = Array();
    if (!out.members.emplace(key, std::move(value)).second) {
      at = start;
      Fail("\"" + key + "\" appears twice");
    }
  }

  JsonLine::Value Array() {
    ++at;
    JsonLine::Value value;
    value.kind = JsonLine::Value::Kind::Array;
    if (Next(']')) return value;
    do {
      SkipSpace();
      const std::size_t start = at;
      if (Scalar().kind != JsonLine::Value::Kind::Number) {
        at = start;
        Fail("only numbers are expected in an array");
      }
    } while (Next(','));
    Expect(']');
    return value;
  }

  // A number, string, true, false or null; an opening bracket is left for the caller.
  JsonLine::Value Scalar() {
    JsonLine::Value value;
    if (at >= line.size()) Fail("a value expected");
    const char c = line[at];
    if (c == '[') return value;
    if (c == '"') {
      value.kind = JsonLine::Value::Kind::String;
      value.text = String();
    } else if (Word("true")) {
      value.kind = JsonLine::Value::Kind::Boolean;
      value.flag = true;
    } else if (Word("false")) {
      value.kind = JsonLine::Value::Kind::Boolean;
    } else if (!Word("null")) {
      value.kind = JsonLine::Value::Kind::Number;
      value.number = Number();
    }
    return value;
  }

  bool Word(std::string_view word) {
    if (line.substr(at, word.size()) != word) return false;
    at += word.size();
    return true;
  }

  // Our strings never need escapes: a backslash means the line is not ours.
  std::string String() {
    if (at >= line.size() || line[at] != '"') Fail("a string expected");
    const std::size_t end = line.find('"', at + 1);
    if (end == std::string_view::npos) Fail("a string without its closing quote");
    const std::string_view text = line.substr(at + 1, end - at - 1);
    for (const char c : text) {
      if (c == '\\' || static_cast<unsigned char>(c) < 0x20) Fail("escapes and control characters are not expected");
    }
    at = end + 1;
    return std::string(text);
  }

  // Plain decimals only, as the runner writes them: an optional minus, digits, an optional
  // fraction; no exponent.
  double Number() {
    const std::size_t start = at;
    if (at < line.size() && line[at] == '-') ++at;
    const std::size_t digits = Digits();
    if (digits == 0) Fail("a value expected");
    if (at < line.size() && line[at] == '.' && (++at, Digits() == 0)) Fail("digits expected after the point");
    double value = 0.0;
    std::from_chars(line.data() + start, line.data() + at, value);
    return value;
  }

  std::size_t Digits() {
    const std::size_t start = at;
    while (at < line.size() && std::isdigit(static_cast<unsigned char>(line[at])) != 0) ++at;
    return at - start;
  }

  std::string_view line;
  JsonLine& out;
  std::size_t at = 0;
};

bool JsonLine::Parse(std::string_view line, JsonLine& out, std::string& error) {
  JsonLine parsed;
  try {
    JsonLineParser(line, parsed).ParseLine();
  } catch (const Fault& fault) {
    error = "column " + std::to_string(fault.at + 1) + ": " + fault.what;
    return false;
  }
  out = std::move(parsed);
  return true;
}

const JsonLine::Value* JsonLine::Find(const std::string& key) const {
  const auto found = members.find(key);
  return found == members.end() ? nullptr : &found->second;
}
