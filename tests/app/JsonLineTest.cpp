// The bounded reader of the headless runner's JSON lines: its own lines read back, anything else
// refused with the reason, and no line read past its bound.
#include "app/study/JsonLine.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

TEST(JsonLine, ReadsASummaryLineWithNestedObjectsArraysAndNulls) {
  nlohmann::json line;
  std::string error;
  ASSERT_TRUE(JsonLine::Parse(
      R"({"summary":true,"seeds":"1-6","finished":6,"kills":{"soldier":465},"step_us":{"median":14.9},)"
      R"("red_win_ci95":[0.1876,0.8124],"blue_win_rate":null,"red_types":["archer"]})",
      line, error))
      << error;
  EXPECT_EQ(*JsonLine::Find(line, "kills.soldier"), 465);
  EXPECT_EQ(*JsonLine::Find(line, "step_us.median"), 14.9);
  EXPECT_TRUE(JsonLine::Find(line, "blue_win_rate")->is_null());
  EXPECT_EQ(JsonLine::Find(line, "kills.archer"), nullptr);
  EXPECT_EQ(JsonLine::Find(line, "seeds.first"), nullptr);
}

TEST(JsonLine, RefusesWhatTheRunnerNeverWritesWithTheReason) {
  const std::vector<std::pair<std::string, std::string>> bad{
      {R"({"battle":1)", "column 12: syntax error while parsing object - unexpected end of input; expected '}'"},
      {R"({"battle":1}x)", "column 13: syntax error while parsing value - invalid literal"},
      {R"({"battle":1,"battle":2})", "\"battle\" appears twice"},
      {R"({"a":{"b":{"c":{"d":{"e":1}}}}})", "objects or arrays nested deeper than ours"},
      {R"({"a":[[[[1]]]]})", "objects or arrays nested deeper than ours"},
      {R"({"a":1e999})", "number overflow parsing '1e999'"},
      {"[1,2]", "an object {...} expected"},
  };
  for (const auto& [text, reason] : bad) {
    nlohmann::json line;
    std::string error;
    EXPECT_FALSE(JsonLine::Parse(text, line, error)) << text;
    EXPECT_EQ(error, reason) << text;
  }
}

TEST(JsonLine, ReadsLinesUpToItsBoundAndNoFurther) {
  std::istringstream in("{}\n" + std::string(JsonLine::kLongestLine, ' ') + "\n" +
                        std::string(JsonLine::kLongestLine + 1, ' ') + "\n");
  JsonLine reader(in);
  std::string text;
  ASSERT_EQ(reader.Next(text), JsonLine::Read::Line);
  EXPECT_EQ(text, "{}");
  ASSERT_EQ(reader.Next(text), JsonLine::Read::Line);
  EXPECT_EQ(text.size(), JsonLine::kLongestLine);
  EXPECT_EQ(reader.Next(text), JsonLine::Read::TooLong);
  std::istringstream last("{}");
  JsonLine unended(last);
  ASSERT_EQ(unended.Next(text), JsonLine::Read::Line);
  EXPECT_EQ(text, "{}");
  EXPECT_EQ(unended.Next(text), JsonLine::Read::End);
}
