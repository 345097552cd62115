// Reading a General's answer by one rule for every language a General may be written in.
#include "units/GeneralAnswer.h"

#include <array>
#include <cmath>
#include <cstdio>
#include <string_view>
#include <utility>

#include "objects/Formation.h"
#include "terrain/TerrainBounds.h"

namespace {
constexpr std::array<std::pair<std::string_view, int>, 3> kFormations{
    {{"block", Formation::kBlock}, {"wedge", Formation::kWedge}, {"vee", Formation::kOpenVee}}};
constexpr std::array<std::string_view, 3> kKeys{"x", "z", "formation"};
constexpr std::size_t kLongestQuote = 20;

std::string Fixed1(double value) {
  char text[64];
  std::snprintf(text, sizeof text, "%.1f", value);
  return text;
}

// The General's own string inside a message: short, quoted, on one line.
std::string Quote(const std::string& text, char quote) {
  std::string quoted = text.substr(0, kLongestQuote);
  for (char& c : quoted) {
    if (static_cast<unsigned char>(c) < 0x20 || c == quote || c == 0x7f) c = '?';
  }
  return quote + quoted + (text.size() > kLongestQuote ? "..." : "") + quote;
}

std::string TypeOf(const GeneralAnswer::Value* value, const GeneralAnswer::Words& words) {
  return value == nullptr || value->kind == GeneralAnswer::Value::Kind::Nothing ? words.nothing : value->type;
}

bool IsNumber(const GeneralAnswer::Value* value) {
  return value != nullptr &&
         (value->kind == GeneralAnswer::Value::Kind::Number || value->kind == GeneralAnswer::Value::Kind::Integer);
}

// How the inspector names the shape a march order chose; nothing when it kept the squad's own.
std::string FormationWords(int formation) {
  for (const auto& [name, shape] : kFormations) {
    if (shape == formation) return " in " + std::string(name);
  }
  return "";
}
}  // namespace

GeneralAnswer::GeneralAnswer(Shape answerShape, std::string answerType)
    : shape(answerShape), type(std::move(answerType)) {}

void GeneralAnswer::Add(const std::string& key, const Value& value) { fields.push_back({key, value}); }

const GeneralAnswer::Value* GeneralAnswer::Find(const char* key) const {
  for (const Field& field : fields) {
    if (field.key == key) return &field.value;
  }
  return nullptr;
}

SquadOrder GeneralAnswer::Read(const TerrainBounds& bounds, const Words& words, const std::string& leaderName,
                               std::string& why, std::string& decision) const {
  SquadOrder order;
  if (shape == Shape::Nothing) {
    decision = leaderName + ": hold";
    return order;
  }
  order.kind = SquadOrder::Kind::Failed;
  if (shape == Shape::Other) {
    why = "returned " + type + "; it must return " + words.nothing + " (hold) or " + words.table;
    return order;
  }
  for (const Field& field : fields) {
    bool known = false;
    for (const std::string_view key : kKeys) known = known || field.key == key;
    if (known) continue;
    why = "returned an unknown key " + Quote(field.key, words.quote) + " (an answer holds x, z and formation)";
    return order;
  }
  if (!ReadGoal(bounds, words, order, why) || !ReadFormation(words, order.formation, why)) return order;
  order.kind = SquadOrder::Kind::March;
  decision = leaderName + " -> (" + Fixed1(order.x) + ", " + Fixed1(order.z) + ")" + FormationWords(order.formation);
  return order;
}

bool GeneralAnswer::ReadGoal(const TerrainBounds& bounds, const Words& words, SquadOrder& order,
                             std::string& why) const {
  const Value* x = Find("x");
  const Value* z = Find("z");
  if (!IsNumber(x) || !IsNumber(z)) {
    why = "returned a goal without numbers x and z (x is " + TypeOf(x, words) + ", z is " + TypeOf(z, words) + ")";
    return false;
  }
  if (std::isnan(x->number) || std::isnan(z->number)) {
    why = std::string("returned a goal whose ") + (std::isnan(x->number) ? "x" : "z") + " is not a number (NaN)";
    return false;
  }
  if (!std::isfinite(x->number) || !std::isfinite(z->number) || !bounds.Holds(x->number, z->number)) {
    why = "returned a goal off the terrain (" + Fixed1(x->number) + ", " + Fixed1(z->number) + ")";
    return false;
  }
  order.x = static_cast<float>(x->number);
  order.z = static_cast<float>(z->number);
  return true;
}

// A name, or the shape's number; 0 and nothing keep the squad's own shape.
bool GeneralAnswer::ReadFormation(const Words& words, int& formation, std::string& why) const {
  formation = 0;
  const Value* value = Find("formation");
  if (value == nullptr || value->kind == Value::Kind::Nothing) return true;
  std::string given = value->type;
  if (value->kind == Value::Kind::Text) {
    for (const auto& [name, known] : kFormations) {
      if (value->text == name) formation = known;
    }
    if (formation != 0) return true;
    given = Quote(value->text, words.quote);
  } else if (value->kind == Value::Kind::Integer) {
    if (value->number >= 0.0 && value->number <= static_cast<double>(Formation::kOpenVee)) {
      formation = static_cast<int>(value->number);
      return true;
    }
    char number[64];
    std::snprintf(number, sizeof number, "%.0f", value->number);
    given = number;
  }
  const std::string q(1, words.quote);
  why = "returned formation " + given + "; it must be " + q + "block" + q + ", " + q + "wedge" + q + " or " + q +
        "vee" + q + ", or 0 to 3 (0 keeps the squad's shape)";
  return false;
}
