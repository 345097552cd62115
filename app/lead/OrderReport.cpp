// Reading a led battle's orders back from a report.
#include "app/lead/OrderReport.h"

#include <algorithm>
#include <fstream>
#include <nlohmann/json.hpp>

#include "app/lead/LedSideSource.h"
#include "app/lead/OrderBook.h"
#include "app/run/HandOrderText.h"
#include "app/study/JsonLine.h"
#include "battle/Scenario.h"
#include "objects/UnitType.h"

using json = nlohmann::json;

namespace {
int TeamNamed(const json& led) {
  if (!led.is_string()) return -1;
  if (led == "red") return Team::Red;
  if (led == "blue") return Team::Blue;
  return -1;
}

bool ReadOrders(const json& list, std::vector<HandOrder>& into, std::string& error) {
  if (!list.is_array()) return error = "\"orders\" is not a list", false;
  for (const json& item : list) {
    const std::optional<HandOrder> order =
        item.is_string() ? HandOrderText::Parse(item.get<std::string>()) : std::nullopt;
    if (!order) return error = "not an order: " + item.dump(), false;
    if (!into.empty() && order->step < into.back().step) {
      return error = "the order \"" + item.get<std::string>() + "\" comes before the one listed ahead of it", false;
    }
    into.push_back(*order);
  }
  return true;
}
}  // namespace

bool OrderReport::Read(const std::string& path, std::string& error) {
  std::ifstream file(path);
  if (!file) return error = path + ": cannot be read", false;
  JsonLine lines(file);
  std::string text;
  int number = 0;
  for (JsonLine::Read read; (read = lines.Next(text)) != JsonLine::Read::End;) {
    ++number;
    const std::string where = path + ":" + std::to_string(number) + ": ";
    json line;
    if (read == JsonLine::Read::TooLong || !JsonLine::Parse(text, line, error)) {
      return error = where + (read == JsonLine::Read::TooLong ? "line too long" : error), false;
    }
    if (line.contains("summary")) {
      TakeSummary(line);
    } else if (!TakeBattleLine(line, error)) {
      return error = where + error, false;
    }
  }
  if (team < 0)
    return error = path + ": no battle in it was led by hand (a report of battlesim --lead --report --json)", false;
  return true;
}

bool OrderReport::TakeBattleLine(const json& line, std::string& error) {
  const json* battle = JsonLine::Find(line, "battle");
  if (battle == nullptr || !battle->is_number_integer() || *battle < 1) return error = "not a battle line", false;
  battles = std::max(battles, battle->get<int>());
  const json* led = JsonLine::Find(line, "led");
  if (led == nullptr) return true;
  const int side = TeamNamed(*led);
  if (side < 0 || (team >= 0 && side != team)) return error = "\"led\" must name one side, red or blue", false;
  team = side;
  const json* list = JsonLine::Find(line, "orders");
  if (list == nullptr) return error = "a led battle without \"orders\"", false;
  return ReadOrders(*list, orders[battle->get<int>()], error);
}

void OrderReport::TakeSummary(const json& line) {
  const json* seedField = JsonLine::Find(line, "seed");
  if (seedField != nullptr && seedField->is_number_unsigned()) seed = seedField->get<unsigned>();
  const json* frame = JsonLine::Find(line, "study.frame_ms");
  if (frame != nullptr && frame->is_number_integer()) frameMs = frame->get<int>();
}

void OrderReport::LeadIn(Scenario& scenario) const {
  if (team < 0) return;
  const auto book = std::make_shared<OrderBook>(orders);
  scenario.armies[team == Team::Red ? 0 : 1].commander = std::make_shared<LedSideSource>(book);
}
