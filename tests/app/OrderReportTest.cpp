// Orders given by hand, as a report keeps them and as a replay reads them: what a hand-edited
// report comes to, and a recorded order whose squad no longer leads anyone.
#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "app/lead/OrderReport.h"
#include "app/run/HandOrderText.h"
#include "battle/Battle.h"
#include "battle/Scenario.h"
#include "objects/UnitType.h"
#include "tests/support/TempFolder.h"

namespace {
std::string Written(const TempFolder& folder, const std::string& text) {
  const std::string path = folder.Path("report.jsonl");
  std::ofstream(path) << text;
  return path;
}

bool Reads(const std::string& text, std::string& error) {
  const TempFolder folder("battlesim-orders");
  OrderReport report;
  return report.Read(Written(folder, text), error);
}

constexpr char kSummary[] = R"({"summary":true,"seed":3,"study":{"frame_ms":16}})";
}  // namespace

TEST(HandOrderText, ReadsBackWhatItWritesAndNothingElse) {
  const HandOrder march{812, "SquadLeader 3", 12.0f, -30.0f, 2};
  EXPECT_EQ(HandOrderText::Format(march), "812 SquadLeader 3 to 12 -30 wedge");
  EXPECT_EQ(HandOrderText::Parse(HandOrderText::Format(march)), march);
  EXPECT_EQ(HandOrderText::Parse("900 fight"), (HandOrder{900, "", 0.0f, 0.0f, 0}));
  for (const char* edited : {"812 SquadLeader 3 to 12.5 -30 wedge", "812 SquadLeader 3 to 12 -30 square",
                             "0 SquadLeader 3 to 12 -30 keep", "812 SquadLeader 3 12 -30 keep", "900 fight now"}) {
    EXPECT_FALSE(HandOrderText::Parse(edited)) << edited;
  }
}

TEST(OrderReport, RefusesReportsEditedIntoNonsenseWithTheLineThatIsWrong) {
  std::string error;
  EXPECT_FALSE(Reads(
      std::string(R"({"battle":1,"led":"red","orders":["400 SquadLeader 0 to x 0 keep"]})") + "\n" + kSummary + "\n",
      error));
  EXPECT_NE(error.find("report.jsonl:1: not an order: \"400 SquadLeader 0 to x 0 keep\""), std::string::npos) << error;
  EXPECT_FALSE(Reads(R"({"battle":1,"led":"red","orders":["400 fight","300 fight"]})", error));
  EXPECT_NE(error.find("comes before the one listed ahead of it"), std::string::npos) << error;
  EXPECT_FALSE(Reads(R"({"battle":1,"led":"green","orders":[]})", error));
  EXPECT_NE(error.find("\"led\" must name one side, red or blue"), std::string::npos) << error;
  EXPECT_FALSE(Reads(std::string(R"({"battle":1,"winner":"red"})") + "\n" + kSummary + "\n", error));
  EXPECT_NE(error.find("no battle in it was led by hand"), std::string::npos) << error;
  EXPECT_FALSE(Reads("not json at all\n", error));
  EXPECT_NE(error.find("report.jsonl:1: "), std::string::npos) << error;
}

// Played again, an order for a squad that is not there cannot be the battle that was recorded:
// the side gives the battle up, saying why, at the step of the order.
TEST(OrderReport, AnOrderForASquadThatLeadsNoOneForfeitsTheReplayedBattle) {
  const TempFolder folder("battlesim-orders");
  OrderReport report;
  std::string error;
  ASSERT_TRUE(
      report.Read(Written(folder, std::string(R"({"battle":1,"led":"red","orders":["40 SquadLeader 7 to 0 0 keep"]})") +
                                      "\n" + kSummary + "\n"),
                  error))
      << error;
  Scenario scenario;
  report.LeadIn(scenario);
  Battle battle(scenario, *report.seed);
  battle.StartBattle();
  for (int step = 0; step < 40 && battle.RedWins() + battle.BlueWins() == 0; ++step) {
    battle.timer.TickTo(static_cast<std::uint32_t>((step + 1) * 16));
    battle.RunSimulationStep();
  }
  EXPECT_EQ(battle.BlueWins(), 1);
  EXPECT_EQ(battle.LastForfeit().team, Team::Red);
  EXPECT_EQ(battle.LastForfeit().reason,
            "the order at step 40 is for SquadLeader 7, which leads no living squad of this side");
}
