// Settings written into the base scenario's TOML table, which the scenario reader then reads as
// if it were a file.
#include "app/setup/ScenarioVariant.h"

#include <toml++/toml.h>

#include <sstream>

#include "app/setup/ScenarioFile.h"

namespace {
struct Unsettable {
  std::string what;
};

// A cell of one of the duel tables: "type_advantage[1][0]" is the name and row 1, column 0.
struct KeyPart {
  std::string name;
  int row = -1;
  int column = -1;
};

KeyPart SplitCell(const std::string& part) {
  KeyPart parsed;
  const std::size_t open = part.find('[');
  parsed.name = part.substr(0, open);
  if (open == std::string::npos) return parsed;
  int row = -1;
  int column = -1;
  char close = 0;
  std::istringstream indices(part.substr(open));
  char a = 0;
  char b = 0;
  char c = 0;
  if (!(indices >> a >> row >> b >> c >> column >> close) || a != '[' || b != ']' || c != '[' || close != ']' ||
      indices.peek() != std::char_traits<char>::eof() || row < 0 || column < 0) {
    throw Unsettable{"\"" + part + "\" is not a table cell written NAME[ROW][COLUMN], counted from 0"};
  }
  parsed.row = row;
  parsed.column = column;
  return parsed;
}

void Put(toml::array& into, std::size_t at, const nlohmann::json& value);

toml::array AsArray(const nlohmann::json& list) {
  toml::array array;
  for (std::size_t i = 0; i < list.size(); ++i) {
    array.push_back(0);
    Put(array, i, list[i]);
  }
  return array;
}

template <class Target, class Place>
void Store(Target& target, const Place& place, const nlohmann::json& value) {
  if (value.is_boolean()) {
    target.insert_or_assign(place, value.get<bool>());
  } else if (value.is_number_integer()) {
    target.insert_or_assign(place, value.get<std::int64_t>());
  } else if (value.is_number()) {
    target.insert_or_assign(place, value.get<double>());
  } else if (value.is_string()) {
    target.insert_or_assign(place, value.get<std::string>());
  } else {
    target.insert_or_assign(place, AsArray(value));
  }
}

// toml::array has no insert_or_assign: a thin stand-in so that Store serves both.
struct ArraySlot {
  toml::array& array;
  template <class Value>
  void insert_or_assign(std::size_t at, Value&& value) {
    array.replace(array.cbegin() + static_cast<std::ptrdiff_t>(at), std::forward<Value>(value));
  }
};

void Put(toml::array& into, std::size_t at, const nlohmann::json& value) {
  ArraySlot slot{into};
  Store(slot, at, value);
}

// The built-in duel table a cell is set in when the base file gives none.
toml::array DefaultTable(const std::string& name) {
  const DuelTables tables;
  nlohmann::json rows = nlohmann::json::array();
  const auto add = [&rows](const auto& grid) {
    for (const auto& row : grid) {
      nlohmann::json cells = nlohmann::json::array();
      for (const float cell : row) cells.push_back(static_cast<double>(cell));
      rows.push_back(cells);
    }
  };
  if (name == "type_advantage") add(tables.typeAdvantage);
  if (name == "formation_advantage") add(tables.formationAdvantage);
  if (rows.empty()) throw Unsettable{"only the duel tables' cells can be set one at a time, not \"" + name + "\"'s"};
  return AsArray(rows);
}

void SetCell(toml::table& table, const KeyPart& cell, const nlohmann::json& value) {
  if (!table.contains(cell.name)) table.insert(cell.name, DefaultTable(cell.name));
  toml::array* rows = table.get_as<toml::array>(cell.name);
  if (rows == nullptr) throw Unsettable{"\"" + cell.name + "\" is not a table of numbers in the base scenario"};
  if (static_cast<std::size_t>(cell.row) >= rows->size() ||
      !rows->get(static_cast<std::size_t>(cell.row))->is_array()) {
    throw Unsettable{"\"" + cell.name + "\" has no row " + std::to_string(cell.row)};
  }
  toml::array& row = *rows->get(static_cast<std::size_t>(cell.row))->as_array();
  if (static_cast<std::size_t>(cell.column) >= row.size()) {
    throw Unsettable{"\"" + cell.name + "\" has no column " + std::to_string(cell.column)};
  }
  Put(row, static_cast<std::size_t>(cell.column), value);
}

// "squad[2]" inside "red.squad[2].formation": the name and the entry, or -1 when the part has none.
std::pair<std::string, int> SplitEntry(const std::string& part) {
  const std::size_t open = part.find('[');
  if (open == std::string::npos) return {part, -1};
  int entry = -1;
  char a = 0;
  char close = 0;
  std::istringstream index(part.substr(open));
  if (!(index >> a >> entry >> close) || a != '[' || close != ']' ||
      index.peek() != std::char_traits<char>::eof() || entry < 0) {
    throw Unsettable{"\"" + part + "\" is not a list entry written NAME[INDEX], counted from 0"};
  }
  return {part.substr(0, open), entry};
}

// One of the base scenario's own tables in a list ([[red.squad]]): a setting changes an entry the
// base has and never adds one, since a made-up squad would stand nowhere the user chose.
toml::table* Entry(toml::table& table, const std::string& name, int entry, const std::string& path) {
  toml::array* list = table.get_as<toml::array>(name);
  const std::size_t count = list == nullptr ? 0 : list->size();
  const std::string wanted = path + "[" + std::to_string(entry) + "]";
  if (count == 0) throw Unsettable{"the base scenario has no [[" + path + "]] tables, so no " + wanted};
  if (static_cast<std::size_t>(entry) >= count) {
    throw Unsettable{"the base scenario has " + std::to_string(count) + " [[" + path + "]] tables, " + path +
                     "[0] to " + path + "[" + std::to_string(count - 1) + "]; there is no " + wanted};
  }
  toml::table* chosen = list->get(static_cast<std::size_t>(entry))->as_table();
  if (chosen == nullptr) throw Unsettable{wanted + " is not a table in the base scenario"};
  return chosen;
}

toml::table* Inner(toml::table& table, const std::string& part, const std::string& path) {
  const auto [name, entry] = SplitEntry(part);
  if (entry >= 0) return Entry(table, name, entry, path + name);
  if (!table.contains(part)) table.insert(part, toml::table{});
  toml::table* inner = table.get_as<toml::table>(part);
  if (inner == nullptr) throw Unsettable{"\"" + part + "\" is not a table"};
  return inner;
}

void Set(toml::table& root, const std::string& key, const nlohmann::json& value) {
  toml::table* table = &root;
  std::size_t from = 0;
  for (std::size_t dot = key.find('.'); dot != std::string::npos; dot = key.find('.', from)) {
    table = Inner(*table, key.substr(from, dot - from), key.substr(0, from));
    from = dot + 1;
  }
  const KeyPart last = SplitCell(key.substr(from));
  if (last.name.empty()) throw Unsettable{"the key is empty after its last dot"};
  if (last.row >= 0) {
    SetCell(*table, last, value);
  } else {
    Store(*table, last.name, value);
  }
}

// "SOURCE:LINE:COLUMN: what" less the place, which is in no file the user wrote.
std::string WithoutPlace(const std::string& error, const std::string& source) {
  std::size_t at = source.size();
  for (int colons = 0; colons < 2 && at != std::string::npos; ++colons) at = error.find(':', at + 1);
  return at == std::string::npos || at + 2 > error.size() ? error : error.substr(at + 2);
}
}  // namespace

ScenarioVariant::ScenarioVariant(std::string baseText, std::string baseFolder)
    : text(std::move(baseText)), folder(std::move(baseFolder)) {}

bool ScenarioVariant::Make(const std::vector<Setting>& settings, Scenario& out, std::string& error) const {
  constexpr char kSource[] = "variant";
  toml::table root;
  try {
    root = toml::parse(std::string_view(text), std::string_view(kSource));
    for (const auto& [key, value] : settings) Set(root, key, value);
  } catch (const toml::parse_error& failure) {
    error = std::string(failure.description());
    return false;
  } catch (const Unsettable& unsettable) {
    error = unsettable.what;
    return false;
  }
  std::ostringstream written;
  written << toml::toml_formatter(root);
  if (ScenarioFile::Parse(written.str(), kSource, folder, out, error)) return true;
  error = WithoutPlace(error, kSource);
  return false;
}
