// PathFinder: routes on flat and steep ground, search order, limits and the painting of cells.
#include "terrain/PathFinder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <list>
#include <vector>

#include "terrain/Terrain.h"
#include "tests/terrain/TestMaps.h"

using testmaps::Colour;
using testmaps::ColourAt;
using testmaps::FlatTerrain;
using testmaps::RaisedTerrain;

namespace {

constexpr Colour kYellow{1.0f, 1.0f, 0.0f};
constexpr Colour kGreen{0.0f, 1.0f, 0.0f};
constexpr Colour kBlue{0.0f, 0.0f, 1.0f};
constexpr Colour kImage{10 / 255.0f, 20 / 255.0f, 30 / 255.0f};

std::list<Vector3> Route(PathFinder& finder, int sx, int sz, int gx, int gz, float weight = 1.1f) {
  finder.FindPath(sx, sz, gx, gz, weight);
  std::list<Vector3> route;
  finder.BuildPath(route);
  return route;
}

std::list<Vector3> Line(std::initializer_list<Vector3> points) { return points; }

struct PaintedCell {
  int x;
  int z;
  Colour colour;
};

// A failure names the cell whose colour is off.
void ExpectPainted(const Terrain& terrain, std::initializer_list<PaintedCell> cells) {
  for (const PaintedCell& cell : cells) {
    EXPECT_EQ(cell.colour, ColourAt(terrain, cell.x, cell.z)) << cell.x << "," << cell.z;
  }
}

}  // namespace

TEST(PathFinder, StartAtGoalGivesTheStartPointAlone) {
  Terrain terrain = RaisedTerrain(16, {{2, 3, 0.5f}});
  PathFinder finder(terrain);
  EXPECT_EQ(PathFinder::kSearching, finder.Status());
  EXPECT_EQ(Line({{2.0f, 0.5f, 3.0f}}), Route(finder, 2, 3, 2, 3));
  EXPECT_EQ(PathFinder::kGoalReached, finder.Status());
}

TEST(PathFinder, FollowsStraightAndDiagonalLinesOnFlatGround) {
  Terrain terrain = FlatTerrain(16);
  PathFinder finder(terrain);
  EXPECT_EQ(Line({{0, 0, 0}, {1, 0, 0}, {2, 0, 0}, {3, 0, 0}, {4, 0, 0}, {5, 0, 0}}), Route(finder, 0, 0, 5, 0));
  EXPECT_EQ(Line({{-1, 0, -1}, {0, 0, 0}, {1, 0, 1}, {2, 0, 2}}), Route(finder, -1, -1, 2, 2));
}

// 24 wide and 10 deep, a ridge along x = 0 but for a gap at z = 3: the route bends towards it.
TEST(PathFinder, BendsTowardsTheGapInARidgeOfAMapWiderThanDeep) {
  Terrain terrain;
  terrain.LoadPixels(testmaps::RgbaImage(24, 10, [](int col, int row) { return col == 12 && row != 2 ? 255 : 0; }),
                     false);
  PathFinder finder(terrain);
  const std::list<Vector3> route = Route(finder, -8, -2, 8, -2);
  EXPECT_EQ(PathFinder::kGoalReached, finder.Status());
  EXPECT_TRUE(std::any_of(route.begin(), route.end(), [](const Vector3& point) { return point.z >= 2.0f; }));
}

TEST(PathFinder, ExaminesTheNewestOfEqualCostNodesFirst) {
  // With weight 0 all eight neighbours of the start share f = 1; (1, 1) is inserted last and
  // (-1, -1) first.
  Terrain terrain = FlatTerrain(16);
  PathFinder finder(terrain);
  finder.FindPath(0, 0, 1, 1, 0.0f);
  ExpectPainted(terrain, {{1, 1, kYellow}, {1, 0, kGreen}, {-1, -1, kGreen}});

  Terrain other = FlatTerrain(16);
  PathFinder otherFinder(other);
  otherFinder.FindPath(0, 0, -1, -1, 0.0f);
  for (int dx = -1; dx <= 1; ++dx) {
    for (int dz = -1; dz <= 1; ++dz) {
      EXPECT_EQ(kYellow, ColourAt(other, dx, dz)) << dx << "," << dz;
    }
  }
  EXPECT_EQ(kGreen, ColourAt(other, 2, 2));
}

TEST(PathFinder, NeverReachesTheOutermostRing) {
  Terrain terrain = FlatTerrain(16);
  PathFinder finder(terrain);
  std::list<Vector3> route{{9.0f, 9.0f, 9.0f}};
  finder.FindPath(0, 0, 7, 0, 1.1f);
  finder.BuildPath(route);
  EXPECT_EQ(PathFinder::kNoRoute, finder.Status());
  EXPECT_EQ(Line({{9.0f, 9.0f, 9.0f}}), route);
  EXPECT_TRUE(Route(finder, 0, 0, -8, 0).empty());
  EXPECT_TRUE(Route(finder, 0, 0, 0, 7).empty());
  EXPECT_EQ(7u, Route(finder, 0, 0, 6, 0).size());
  EXPECT_EQ(7u, Route(finder, 0, 0, 0, -6).size());
}

// A General may send a squad to any grid point; those the search never enters lead to the nearest
// one it does, and goals it reaches are searched as before.
TEST(PathFinder, AGoalNoRouteReachesLeadsToTheNearestReachableCell) {
  Terrain terrain = FlatTerrain(16);
  PathFinder finder(terrain);
  const auto routeEnd = [&finder](int gx, int gz) {
    finder.FindPathOrNearest(0, 0, gx, gz, 1.1f);
    std::list<Vector3> route;
    finder.BuildPath(route);
    EXPECT_EQ(PathFinder::kGoalReached, finder.Status()) << gx << "," << gz;
    return route.empty() ? Vector3(99, 99, 99) : route.back();
  };
  EXPECT_EQ(Vector3(6, 0, 0), routeEnd(7, 0));
  EXPECT_EQ(Vector3(-7, 0, 0), routeEnd(-8, 0));
  EXPECT_EQ(Vector3(0, 0, 6), routeEnd(0, 8));
  EXPECT_EQ(Vector3(0, 0, -6), routeEnd(0, -7));
  EXPECT_EQ(Vector3(6, 0, -6), routeEnd(7, -7));
  EXPECT_EQ(Vector3(3, 0, 2), routeEnd(3, 2));

  // A pit whose rim no step climbs out of is never entered: the route ends on the rim's nearest point.
  Terrain pit = RaisedTerrain(16, {{4, -1, 1.0f},
                                   {4, 0, 1.0f},
                                   {4, 1, 1.0f},
                                   {5, -1, 1.0f},
                                   {5, 1, 1.0f},
                                   {6, -1, 1.0f},
                                   {6, 0, 1.0f},
                                   {6, 1, 1.0f}});
  PathFinder aroundThePit(pit);
  aroundThePit.FindPathOrNearest(0, 0, 5, 0, 1.1f);
  std::list<Vector3> route;
  aroundThePit.BuildPath(route);
  ASSERT_FALSE(route.empty());
  EXPECT_EQ(Vector3(4, 1, 0), route.back());
}

TEST(PathFinder, SouthernmostAllowedRowLooksAheadOffTheGrid) {
  // Grid rows span z = -7..8 on a 16-deep map while allowed cells span z = -7..6: heading south
  // into z = -7 looks ahead at z = -8, off the grid, whose height 5.0 is a climb of 25 from flat.
  Terrain terrain = FlatTerrain(16);
  PathFinder finder(terrain);
  EXPECT_TRUE(Route(finder, 0, 0, 0, -7).empty());
  // The finder reads the ground's steps once; ground changed in place needs a new finder.
  terrain.Scale(4.5f, 4.5f);
  PathFinder onRaisedGround(terrain);
  EXPECT_EQ(8u, Route(onRaisedGround, 0, 0, 0, -7).size());
}

TEST(PathFinder, RefusesCellsFromWhichTheGroundClimbsOnward) {
  // (1, 0) is flat, but moving east from it would climb 1.0: it cannot be entered eastwards.
  Terrain terrain = RaisedTerrain(16, {{2, 0, 1.0f}});
  PathFinder finder(terrain);
  const std::list<Vector3> detour = Route(finder, 0, 0, 1, 0);
  ASSERT_EQ(3u, detour.size());
  EXPECT_EQ(Vector3(1, 0, 0), detour.back());

  Terrain behind = RaisedTerrain(16, {{-1, 0, 1.0f}});
  PathFinder direct(behind);
  EXPECT_EQ(Line({{0, 0, 0}, {1, 0, 0}}), Route(direct, 0, 0, 1, 0));
}

TEST(PathFinder, RefusesDiagonalsBetweenTwoSteepSides) {
  Terrain both = RaisedTerrain(16, {{1, 0, 1.0f}, {0, 1, 1.0f}});
  PathFinder blocked(both);
  EXPECT_EQ(3u, Route(blocked, 0, 0, 1, 1).size());

  Terrain one = RaisedTerrain(16, {{1, 0, 1.0f}});
  PathFinder allowed(one);
  EXPECT_EQ(Line({{0, 0, 0}, {1, 0, 1}}), Route(allowed, 0, 0, 1, 1));
}

TEST(PathFinder, DeliversNoRouteLongerThanThreeHundredPoints) {
  Terrain terrain = FlatTerrain(320);
  PathFinder finder(terrain);
  const std::list<Vector3> longest = Route(finder, -150, 0, 149, 0);
  ASSERT_EQ(300u, longest.size());
  EXPECT_EQ(Vector3(-150, 0, 0), longest.front());
  EXPECT_EQ(Vector3(149, 0, 0), longest.back());

  std::list<Vector3> tooLong{{1.0f, 2.0f, 3.0f}};
  finder.FindPath(-150, 0, 150, 0, 1.1f);
  EXPECT_EQ(PathFinder::kGoalReached, finder.Status());
  finder.BuildPath(tooLong);
  EXPECT_TRUE(tooLong.empty());
}

TEST(PathFinder, PaintsExaminedOpenAndRouteCells) {
  Terrain terrain = FlatTerrain(16);
  PathFinder finder(terrain);
  finder.FindPath(0, 0, 2, 0, 1.1f);
  ExpectPainted(terrain,
                {{0, 0, kYellow}, {1, 0, kYellow}, {2, 0, kYellow}, {-1, 0, kGreen}, {2, 1, kGreen}, {3, 0, kImage}});
  std::list<Vector3> route;
  finder.BuildPath(route);
  for (int x = 0; x <= 2; ++x) {
    EXPECT_EQ(kBlue, ColourAt(terrain, x, 0)) << x;
  }
  EXPECT_EQ(kGreen, ColourAt(terrain, -1, 0));
}

TEST(PathFinder, StartsEachSearchAfresh) {
  Terrain terrain = FlatTerrain(16);
  PathFinder finder(terrain);
  finder.FindPath(0, 0, 7, 7, 1.1f);
  EXPECT_EQ(PathFinder::kNoRoute, finder.Status());
  EXPECT_EQ(Line({{3, 0, 3}, {4, 0, 3}}), Route(finder, 3, 3, 4, 3));
  EXPECT_EQ(PathFinder::kGoalReached, finder.Status());
}

TEST(PathFinder, OnEmptyTerrainOnlyStartAtGoalSucceeds) {
  Terrain terrain;
  PathFinder finder(terrain);
  EXPECT_TRUE(Route(finder, 0, 0, 1, 0).empty());
  EXPECT_EQ(PathFinder::kNoRoute, finder.Status());
  EXPECT_EQ(Line({{4.0f, 0.0f, -2.0f}}), Route(finder, 4, -2, 4, -2));
}

TEST(PathFinder, StartFarOffTheGridFindsNoRoute) {
  Terrain terrain = FlatTerrain(16);
  PathFinder finder(terrain);
  EXPECT_TRUE(Route(finder, INT_MAX, INT_MIN, 0, 0).empty());
  EXPECT_EQ(PathFinder::kNoRoute, finder.Status());
}
