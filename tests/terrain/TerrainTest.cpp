// Terrain: pixel decoding, grid mapping, scaling, normals, queries and progress reports.
#include "terrain/Terrain.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <limits>
#include <random>
#include <string>

#include "platform/DebugChannel.h"
#include "tests/terrain/TestMaps.h"

using testmaps::RgbaImage;

namespace {

std::string captured;
void Capture(std::string_view text) { captured += text; }

// Routes the debug channel into `captured` for the life of the guard.
struct CaptureDebug {
  CaptureDebug() {
    captured.clear();
    DebugChannel::SetSink(&Capture);
  }
  ~CaptureDebug() { DebugChannel::SetSink(nullptr); }
};

// Height byte = 10 * row + col, so every grid point of a map up to 10 wide is distinct.
Terrain NumberedTerrain(int width, int depth) {
  Terrain terrain;
  terrain.LoadPixels(
      RgbaImage(width, depth, [](int col, int row) { return static_cast<unsigned char>(10 * row + col); }), false);
  return terrain;
}

float Numbered(int col, int row) { return static_cast<float>(10 * row + col) / 255.0f; }

Vector3 NormalOf(const Terrain& terrain, int col, int row) {
  const std::size_t base = (static_cast<std::size_t>(row) * terrain.width + col) * 3;
  return {terrain.normals[base], terrain.normals[base + 1], terrain.normals[base + 2]};
}

void ExpectNear(const Vector3& expected, const Vector3& actual) {
  EXPECT_NEAR(expected.x, actual.x, 1e-6f);
  EXPECT_NEAR(expected.y, actual.y, 1e-6f);
  EXPECT_NEAR(expected.z, actual.z, 1e-6f);
}

Vector3 Unit(Vector3 v) {
  v.Normalize();
  return v;
}

bool AllFinite(const std::vector<float>& values) {
  for (float value : values) {
    if (!std::isfinite(value)) {
      return false;
    }
  }
  return true;
}

}  // namespace

TEST(Terrain, FourComponentPixelGivesAlphaHeightAndColour) {
  PngRaw image{1, 1, 4, {10, 20, 30, 255}};
  Terrain terrain;
  ASSERT_EQ(0, terrain.LoadPixels(image, false));
  EXPECT_EQ(1, terrain.width);
  EXPECT_EQ(1, terrain.depth);
  EXPECT_EQ(1.0f, terrain.Heights()[0]);
  EXPECT_EQ((std::vector<float>{10 / 255.0f, 20 / 255.0f, 30 / 255.0f}), terrain.colours);
  EXPECT_EQ((std::vector<float>{0, 0, 0}), terrain.normals);
}

TEST(Terrain, OtherComponentCountsUseLastByteAndStayBlack) {
  Terrain rgb;
  ASSERT_EQ(0, rgb.LoadPixels(PngRaw{2, 1, 3, {10, 20, 51, 1, 2, 102}}, false));
  EXPECT_EQ((std::vector<float>{51 / 255.0f, 102 / 255.0f}), rgb.Heights());
  EXPECT_EQ(std::vector<float>(6, 0.0f), rgb.colours);

  Terrain grey;
  ASSERT_EQ(0, grey.LoadPixels(PngRaw{1, 1, 1, {255}}, false));
  EXPECT_EQ(1.0f, grey.Heights()[0]);
  EXPECT_EQ(std::vector<float>(3, 0.0f), grey.colours);
}

TEST(Terrain, UnusableImagesLeaveTheTerrainUnchanged) {
  Terrain terrain = NumberedTerrain(3, 3);
  const std::vector<float> heights = terrain.Heights();
  EXPECT_EQ(-4, terrain.LoadPixels(PngRaw{}, true));
  EXPECT_EQ(-4, terrain.LoadPixels(PngRaw{2, 2, 4, {1, 2, 3}}, true));
  EXPECT_EQ(-4, terrain.LoadPixels(PngRaw{2, 2, 0, {}}, true));
  EXPECT_EQ(3, terrain.width);
  EXPECT_EQ(heights, terrain.Heights());

  Terrain empty;
  EXPECT_EQ(-4, empty.LoadPixels(PngRaw{0, 5, 4, {}}, true));
  EXPECT_EQ(0, empty.width);
  EXPECT_TRUE(empty.Heights().empty());
}

TEST(Terrain, ReportsLoadingAndNormalProgressInTenths) {
  CaptureDebug capture;
  Terrain terrain = NumberedTerrain(10, 10);
  terrain.ComputeNormals();
  std::string tenths;
  for (int i = 0; i < 10; ++i) {
    tenths += std::to_string(10 * i) + "%\n";
  }
  EXPECT_EQ("Height Map Loading: 10:10\n" + tenths + "Calculating Normals: \n" + tenths, captured);
}

TEST(Terrain, ReportsScalingProgressOverAllPoints) {
  Terrain terrain = NumberedTerrain(5, 4);
  terrain.normals.clear();
  CaptureDebug capture;
  ASSERT_EQ(0, terrain.Scale(0.0f, 1.0f));
  EXPECT_EQ("Scaling: \n0%\n10%\n20%\n30%\n40%\n50%\n60%\n70%\n80%\n90%\n", captured);
}

TEST(Terrain, TinyMapReportsEveryRowInsteadOfDividingByZero) {
  CaptureDebug capture;
  Terrain terrain;
  ASSERT_EQ(0, terrain.LoadPixels(RgbaImage(3, 2, [](int col, int) { return static_cast<unsigned char>(col); }), true));
  EXPECT_EQ("Height Map Loading: 3:2\n0%\n50%\nCalculating Normals: \n0%\n50%\n", captured);
}

TEST(Terrain, MapsWorldCoordinatesToColumnsAndRows) {
  const Terrain terrain = NumberedTerrain(8, 8);
  EXPECT_EQ(Numbered(4, 4), terrain.HeightAt(0, 0));
  EXPECT_EQ(Numbered(0, 0), terrain.HeightAt(-4, 4));
  EXPECT_EQ(Numbered(7, 7), terrain.HeightAt(3, -3));
  EXPECT_EQ(Numbered(5, 2), terrain.HeightAt(1, 2));
}

TEST(Terrain, ReturnsFiveOffTheGrid) {
  const Terrain terrain = NumberedTerrain(8, 8);
  EXPECT_EQ(5.0f, terrain.HeightAt(4, 0));
  EXPECT_EQ(5.0f, terrain.HeightAt(-5, 0));
  EXPECT_EQ(5.0f, terrain.HeightAt(0, 5));
  EXPECT_EQ(5.0f, terrain.HeightAt(0, -4));
  EXPECT_EQ(5.0f, terrain.HeightAt(INT_MAX, INT_MIN));
  EXPECT_EQ(5.0f, terrain.HeightAt(INT_MIN, INT_MAX));
}

// Rows count from the far edge by the map's own depth, row = H - H/2 - z, whichever side is
// longer, odd depths included.
TEST(Terrain, NonSquareMapsPutTheMiddleRowAtZeroWhicheverSideIsLonger) {
  const Terrain wide = NumberedTerrain(6, 4);
  EXPECT_EQ(Numbered(3, 2), wide.HeightAt(0, 0));
  EXPECT_EQ(Numbered(0, 0), wide.HeightAt(-3, 2));
  EXPECT_EQ(5.0f, wide.HeightAt(0, -2));
  EXPECT_EQ(Numbered(3, 0), NumberedTerrain(6, 5).HeightAt(0, 3));
  EXPECT_EQ(5.0f, NumberedTerrain(6, 5).HeightAt(0, -2));
  EXPECT_EQ(Numbered(2, 5), NumberedTerrain(3, 6).HeightAt(1, -2));
}

TEST(Terrain, InterpolatedHeightBlendsNeighboursAcrossTwoSteps) {
  const Terrain terrain = NumberedTerrain(8, 8);
  EXPECT_FLOAT_EQ((terrain.HeightAt(1, 0) + terrain.HeightAt(0, 1)) * 0.5f, terrain.InterpolatedHeight(1.0f, 1.0f));
  const float hz = 0.25f * terrain.HeightAt(1, 3) + 0.75f * terrain.HeightAt(1, 1);
  const float hx = 0.5f * terrain.HeightAt(0, 2) + 0.5f * terrain.HeightAt(2, 2);
  EXPECT_FLOAT_EQ((hz + hx) * 0.5f, terrain.InterpolatedHeight(1.5f, 2.25f));
}

// Up to the outermost grid points and on between them and the edge, nothing from beyond the
// edge (the off-grid height, or the far side of the map) blends in.
TEST(Terrain, InterpolatedHeightAtTheEdgesIsTheGroundsOwn) {
  Terrain terrain = testmaps::FlatTerrain(8);  // x from -4 to 3, z from -3 to 4
  terrain.Scale(2.0f, 2.0f);
  for (const float x : {-4.5f, -4.0f, 0.0f, 3.0f, 3.5f}) {
    for (const float z : {-3.5f, -3.0f, 0.0f, 4.0f, 4.5f})
      EXPECT_EQ(2.0f, terrain.InterpolatedHeight(x, z)) << x << ", " << z;
  }
}

// On uneven ground every edge point blends its own neighbours, a neighbour beyond the edge being
// the edge point nearest it: checked around each outermost point of a map wider than deep.
TEST(Terrain, InterpolatedHeightNearEveryEdgeBlendsThatPointsOwnNeighbours) {
  const Terrain terrain = NumberedTerrain(7, 6);  // x from -3 to 3, z from -2 to 3
  const auto held = [&terrain](int x, int z) { return terrain.HeightAt(std::clamp(x, -3, 3), std::clamp(z, -2, 3)); };
  const auto expected = [&held](float x, float z) {
    const int ix = static_cast<int>(x);
    const int iz = static_cast<int>(z);
    const float fx = x - std::floor(x);
    const float fz = z - std::floor(z);
    const float hz = fz * held(ix, static_cast<int>(z + 1.0f)) + (1.0f - fz) * held(ix, static_cast<int>(z - 1.0f));
    const float hx = (1.0f - fx) * held(static_cast<int>(x - 1.0f), iz) + fx * held(static_cast<int>(x + 1.0f), iz);
    return (hz + hx) * 0.5f;
  };
  int checked = 0;
  for (int x = -3; x <= 3; ++x) {
    for (int z = -2; z <= 3; ++z) {
      if (x != -3 && x != 3 && z != -2 && z != 3) continue;
      for (const float dx : {-0.5f, 0.0f, 0.25f, 0.5f}) {
        for (const float dz : {-0.5f, 0.0f, 0.25f, 0.5f}) {
          const float px = static_cast<float>(x) + dx;
          const float pz = static_cast<float>(z) + dz;
          // Only the points that belong to this edge point.
          if (static_cast<int>(px) != x || static_cast<int>(pz) != z) continue;
          EXPECT_FLOAT_EQ(expected(px, pz), terrain.InterpolatedHeight(px, pz)) << px << ", " << pz;
          ++checked;
        }
      }
    }
  }
  EXPECT_GT(checked, 100);
}

TEST(Terrain, InterpolatedHeightOfWildCoordinatesIsOffGrid) {
  const Terrain terrain = NumberedTerrain(8, 8);
  EXPECT_EQ(5.0f, terrain.InterpolatedHeight(1.0e30f, -1.0e30f));
  EXPECT_TRUE(std::isnan(terrain.InterpolatedHeight(std::numeric_limits<float>::quiet_NaN(), 0.0f)));
}

TEST(Terrain, ClimbingCostsFiveTimesTheRiseAndDescendingIsFree) {
  const Terrain terrain = testmaps::RaisedTerrain(8, {{0, 0, 2.0f}, {1, 0, 2.5f}});
  EXPECT_EQ(2.5f, terrain.ClimbCost(0, 0, 1, 0));
  EXPECT_EQ(0.0f, terrain.ClimbCost(1, 0, 0, 0));
  EXPECT_EQ(Vector3(1.0f, 2.5f, 0.0f), terrain.GridPoint(1, 0));
}

TEST(Terrain, ScaleStretchesHeightsOntoTheRangeInEitherOrder) {
  Terrain up = NumberedTerrain(5, 5);
  Terrain down = NumberedTerrain(5, 5);
  ASSERT_EQ(0, up.Scale(0.0f, 10.0f));
  ASSERT_EQ(0, down.Scale(10.0f, 0.0f));
  EXPECT_EQ(0.0f, up.Heights().front());
  EXPECT_EQ(10.0f, up.Heights().back());
  EXPECT_FLOAT_EQ(10.0f * 12.0f / 44.0f, up.Heights()[7]);
  EXPECT_EQ(up.Heights(), down.Heights());
  EXPECT_EQ(up.normals, down.normals);
}

TEST(Terrain, ScalingAFlatMapPutsEveryPointAtTheLowEnd) {
  Terrain terrain = testmaps::FlatTerrain(4);
  ASSERT_EQ(0, terrain.Scale(3.0f, 10.0f));
  EXPECT_EQ(std::vector<float>(16, 3.0f), terrain.Heights());
  EXPECT_TRUE(AllFinite(terrain.normals));
}

TEST(Terrain, ScaleRecomputesNormalsOnlyWhenTheyExist) {
  Terrain terrain = NumberedTerrain(4, 4);
  ASSERT_EQ(0, terrain.Scale(0.0f, 10.0f));
  // Loaded without normals, but the list is sized at load, so scaling computes them.
  const Vector3 normal = NormalOf(terrain, 1, 1);
  EXPECT_NEAR(1.0f, normal.Length(), 1e-6f);
  EXPECT_LT(normal.x, 0.0f);
  terrain.normals.clear();
  ASSERT_EQ(0, terrain.Scale(0.0f, 5.0f));
  EXPECT_TRUE(terrain.normals.empty());
}

TEST(Terrain, FlatGroundNormalsPointUp) {
  Terrain terrain = testmaps::FlatTerrain(4);
  terrain.ComputeNormals();
  for (int row = 0; row < 4; ++row) {
    for (int col = 0; col < 4; ++col) {
      ExpectNear({0.0f, 1.0f, 0.0f}, NormalOf(terrain, col, row));
    }
  }
  EXPECT_EQ(Vector3(0.0f, 1.0f, 0.0f), terrain.TriangleNormal(1, 1, 0, 1, 1, 2));
}

TEST(Terrain, NormalsAverageTheTrianglesInsideTheGrid) {
  // 3 x 3, flat except grid point (1, 0), raised by 1.
  Terrain terrain;
  terrain.LoadPixels(
      RgbaImage(3, 3, [](int col, int row) { return static_cast<unsigned char>(col == 1 && row == 0 ? 255 : 0); }),
      true);
  const float r2 = std::sqrt(2.0f);
  ExpectNear(Unit({-1.0f, 1.0f, 0.0f}), NormalOf(terrain, 0, 0));      // corner: one triangle
  ExpectNear({0.0f, r2 / 2.0f, -r2 / 2.0f}, NormalOf(terrain, 1, 0));  // edge: two triangles
  ExpectNear(Unit({0.0f, 2.0f + r2, -r2}), NormalOf(terrain, 1, 1));   // inside: four triangles
  ExpectNear(Unit({1.0f, 1.0f, 0.0f}), NormalOf(terrain, 2, 0));       // other corner
  ExpectNear({0.0f, 1.0f, 0.0f}, NormalOf(terrain, 1, 2));             // far edge, flat around it
}

TEST(Terrain, SinglePointWideMapsGetUprightNormals) {
  Terrain line;
  ASSERT_EQ(0,
            line.LoadPixels(RgbaImage(5, 1, [](int col, int) { return static_cast<unsigned char>(col * 40); }), true));
  ASSERT_EQ(0, line.Scale(0.0f, 10.0f));
  for (int col = 0; col < 5; ++col) {
    EXPECT_EQ(Vector3(0.0f, 1.0f, 0.0f), NormalOf(line, col, 0));
  }
  Terrain point;
  ASSERT_EQ(0, point.LoadPixels(PngRaw{1, 1, 4, {0, 0, 0, 7}}, true));
  ASSERT_EQ(0, point.Scale(0.0f, 10.0f));
  EXPECT_EQ(0.0f, point.Heights()[0]);
  EXPECT_EQ(Vector3(0.0f, 1.0f, 0.0f), NormalOf(point, 0, 0));
}

TEST(Terrain, SetColourRepaintsOneGridPointOnTheGrid) {
  Terrain terrain = testmaps::FlatTerrain(4);
  terrain.SetColour(1, -1, 0.25f, 0.5f, 0.75f);
  const std::size_t painted = (3 * 4 + 3) * 3;
  EXPECT_EQ(0.25f, terrain.colours[painted]);
  EXPECT_EQ(0.5f, terrain.colours[painted + 1]);
  EXPECT_EQ(0.75f, terrain.colours[painted + 2]);
  const std::vector<float> before = terrain.colours;
  terrain.SetColour(2, 0, 1.0f, 1.0f, 1.0f);
  terrain.SetColour(0, 3, 1.0f, 1.0f, 1.0f);
  terrain.SetColour(INT_MIN, INT_MIN, 1.0f, 1.0f, 1.0f);
  EXPECT_EQ(before, terrain.colours);
}

TEST(Terrain, EmptyTerrainAnswersSafely) {
  Terrain terrain;
  EXPECT_EQ(-1, terrain.Scale(0.0f, 10.0f));
  terrain.ComputeNormals();
  terrain.SetColour(0, 0, 1.0f, 0.0f, 0.0f);
  EXPECT_EQ(0.0f, terrain.HeightAt(0, 0));
  EXPECT_EQ(0.0f, terrain.InterpolatedHeight(0.5f, 0.5f));
  EXPECT_EQ(0.0f, terrain.ClimbCost(0, 0, 1, 1));
  EXPECT_EQ(Vector3(3.0f, 0.0f, 4.0f), terrain.GridPoint(3, 4));
  EXPECT_TRUE(terrain.colours.empty());
  EXPECT_TRUE(terrain.normals.empty());
}

// The ground under the units is read from the image's height bytes: it must be the grid's own
// heights to the bit after scaling twice, blended as the grid's own heights would be inside the
// outermost points.
TEST(Terrain, InterpolatedHeightIsTheGridsOwnAfterScalingTwice) {
  std::mt19937 random(7);
  Terrain terrain;  // x from -18 to 18, z from -13 to 15
  ASSERT_EQ(0, terrain.LoadPixels(
                   RgbaImage(37, 29, [&](int, int) { return static_cast<unsigned char>(random() % 256); }), false));
  terrain.Scale(-3.0f, 17.0f);
  terrain.Scale(2.5f, -40.0f);
  const auto gridHeight = [&](float x, float z) { return terrain.HeightAt(static_cast<int>(x), static_cast<int>(z)); };
  std::uniform_real_distribution<float> across(-16.0f, 16.0f);
  std::uniform_real_distribution<float> along(-11.0f, 13.0f);
  int differing = 0;
  for (int i = 0; i < 5000; ++i) {
    const float x = across(random);
    const float z = along(random);
    const float fx = x - std::floor(x);
    const float fz = z - std::floor(z);
    const float hz = fz * gridHeight(x, z + 1.0f) + (1.0f - fz) * gridHeight(x, z - 1.0f);
    const float hx = (1.0f - fx) * gridHeight(x - 1.0f, z) + fx * gridHeight(x + 1.0f, z);
    differing += terrain.InterpolatedHeight(x, z) != (hz + hx) * 0.5f ? 1 : 0;
  }
  EXPECT_EQ(differing, 0);
}
