// The strict reader of the headless runner's JSON lines: its own lines read back, anything else
// refused with the column and the reason.
#include "app/JsonLine.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

TEST(JsonLine, ReadsASummaryLineWithNestedObjectsArraysAndNulls) {
  JsonLine line;
  std::string error;
  ASSERT_TRUE(JsonLine::Parse(
      R"({"summary":true,"seeds":"1-6","finished":6,"kills":{"soldier":465},"step_us":{"median":14.9},)"
      R"("red_win_ci95":[0.1876,0.8124],"blue_win_rate":null,"x":-2})",
      line, error))
      << error;
  EXPECT_TRUE(line.Find("summary")->flag);
  EXPECT_EQ(line.Find("seeds")->text, "1-6");
  EXPECT_EQ(line.Find("kills.soldier")->number, 465.0);
  EXPECT_EQ(line.Find("step_us.median")->number, 14.9);
  EXPECT_EQ(line.Find("red_win_ci95")->kind, JsonLine::Value::Kind::Array);
  EXPECT_EQ(line.Find("blue_win_rate")->kind, JsonLine::Value::Kind::Null);
  EXPECT_EQ(line.Find("x")->number, -2.0);
  EXPECT_EQ(line.Find("kills"), nullptr);
}

TEST(JsonLine, RefusesWhatTheRunnerNeverWritesWithColumnAndReason) {
  const std::vector<std::pair<std::string, std::string>> bad{
      {R"({"battle":1)", "column 12: '}' expected"},
      {R"({"battle":1}x)", "column 13: text after the object"},
      {R"({"battle":1,"battle":2})", "column 22: \"battle\" appears twice"},
      {R"({"battle":1e3})", "column 12: '}' expected"},
      {R"({"battle":.5})", "column 11: a value expected"},
      {R"({"name":"a\"b"})", "column 9: escapes and control characters are not expected"},
      {R"({"a":{"b":{"c":1}}})", "column 11: objects nested too deep"},
      {R"({"a":["x"]})", "column 7: only numbers are expected in an array"},
      {"Battle 1 of seed 1: red wins", "column 1: '{' expected"},
      {"", "column 1: '{' expected"},
  };
  for (const auto& [text, reason] : bad) {
    JsonLine line;
    std::string error;
    EXPECT_FALSE(JsonLine::Parse(text, line, error)) << text;
    EXPECT_EQ(error, reason) << text;
  }
}
