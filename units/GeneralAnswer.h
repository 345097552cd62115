// A General's answer to a squad's report, whether a Lua script or a Python object gave it, and the
// one reader of it: nothing (hold), or a table of x, z and an optional formation whose goal lies
// within the bounds the General is told. Anything else, an unknown key included, is refused.
#pragma once

#include <string>
#include <vector>

#include "units/Commander.h"

struct TerrainBounds;

class GeneralAnswer {
 public:
  // One value as the General's language gave it.
  struct Value {
    enum class Kind { Nothing, Number, Integer, Text, Other };
    Kind kind = Kind::Nothing;
    double number = 0.0;  // Number and Integer
    std::string text;     // Text: the string itself
    std::string type;     // the language's own name for the value's type
  };
  // How the General's language names what a message mentions.
  struct Words {
    const char* nothing;  // "nil", "None"
    const char* table;    // "a table {x = ..., z = ...}"
    char quote;           // around the General's own strings
  };
  enum class Shape { Nothing, Table, Other };

  explicit GeneralAnswer(Shape shape, std::string type = "");

  // A table's field; key as the General wrote it (a key that is not a string by its type's name).
  void Add(const std::string& key, const Value& value);

  // The order for the squad of leaderName. A Failed order leaves why ("returned ...", to follow the
  // function's place); any other order leaves what the unit inspector shows in decision.
  SquadOrder Read(const TerrainBounds& bounds, const Words& words, const std::string& leaderName, std::string& why,
                  std::string& decision) const;

 private:
  struct Field {
    std::string key;
    Value value;
  };
  const Value* Find(const char* key) const;
  bool ReadGoal(const TerrainBounds& bounds, const Words& words, SquadOrder& order, std::string& why) const;
  bool ReadFormation(const Words& words, int& formation, std::string& why) const;

  Shape shape;
  std::string type;
  std::vector<Field> fields;
};
