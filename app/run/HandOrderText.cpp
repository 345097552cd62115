// Hand orders to and from their words.
#include "app/run/HandOrderText.h"

#include <array>
#include <cmath>
#include <sstream>

namespace {
constexpr std::array<const char*, 4> kShapeNames = {"keep", "block", "wedge", "vee"};
constexpr char kFight[] = "fight";
// Goals are whole units of ground, as the window places them: they read back to the same floats.
constexpr float kFarthestGoal = 100000.0f;

bool Whole(float value) {
  return std::isfinite(value) && std::fabs(value) <= kFarthestGoal && std::floor(value) == value;
}
}  // namespace

std::string HandOrderText::Format(const HandOrder& order) {
  std::ostringstream text;
  text << order.step << ' ';
  if (order.IsFight()) {
    text << kFight;
  } else {
    text << order.squad << " to " << order.x << ' ' << order.z << ' ' << ShapeName(order.formation);
  }
  return text.str();
}

std::optional<HandOrder> HandOrderText::Parse(const std::string& text) {
  std::istringstream words(text);
  HandOrder order;
  std::string squad;
  if (!(words >> order.step >> squad) || order.step < 1) return std::nullopt;
  std::string rest;
  if (squad == kFight) return words >> rest ? std::nullopt : std::optional<HandOrder>(order);
  // A unit's name holds a space: its words run up to "to".
  for (std::string word; words >> word && word != "to";) squad += ' ' + word;
  std::string shape;
  if (!(words >> order.x >> order.z >> shape) || words >> rest) return std::nullopt;
  const std::optional<int> formation = ShapeNamed(shape);
  if (!formation || !Whole(order.x) || !Whole(order.z)) return std::nullopt;
  order.squad = squad;
  order.formation = *formation;
  return order;
}

const char* HandOrderText::ShapeName(int formation) {
  return formation >= 0 && formation < static_cast<int>(kShapeNames.size())
             ? kShapeNames[static_cast<std::size_t>(formation)]
             : "keep";
}

std::optional<int> HandOrderText::ShapeNamed(const std::string& name) {
  for (std::size_t shape = 0; shape < kShapeNames.size(); ++shape) {
    if (name == kShapeNames[shape]) return static_cast<int>(shape);
  }
  return std::nullopt;
}
