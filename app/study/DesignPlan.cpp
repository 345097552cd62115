// A design's points: the hypercube's or the factorial's levels turned into the factors' values,
// and each point's battle read through the scenario reader.
#include "app/study/DesignPlan.h"

#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "app/setup/DesignFile.h"
#include "app/setup/GeneralChoice.h"
#include "app/setup/LatinHypercube.h"
#include "app/setup/ScenarioFile.h"
#include "app/setup/ScenarioVariant.h"
#include "app/setup/UnitCount.h"

namespace {
// Four decimals: what the scenario is given is exactly what the battle lines say it was.
nlohmann::json Value(const DesignFactor& factor, double fraction) {
  const double value = factor.low + (factor.high - factor.low) * fraction;
  if (factor.integer) return static_cast<std::int64_t>(std::llround(value));
  return std::round(value * 1e4) / 1e4;
}

// Level `level` of `levels` settings of the factor.
nlohmann::json Setting(const DesignFactor& factor, long long level, long long levels) {
  if (!factor.ranged) {
    const auto count = static_cast<long long>(factor.levels.size());
    return factor.levels[static_cast<std::size_t>(level * count / levels)];
  }
  return Value(factor, levels < 2 ? 0.5 : static_cast<double>(level) / static_cast<double>(levels - 1));
}

// Each point's level of each factor, and how many levels each column has.
LatinHypercube::Matrix Levels(const Design& design, std::vector<long long>& counts) {
  const auto factors = static_cast<int>(design.factors.size());
  if (design.kind == Design::Kind::Factorial) {
    for (const DesignFactor& factor : design.factors) {
      counts.push_back(factor.ranged ? factor.count : static_cast<long long>(factor.levels.size()));
    }
    // The last factor changes fastest.
    LatinHypercube::Matrix matrix;
    const long long points = DesignFile::PointCount(design);
    for (long long point = 0; point < points; ++point) {
      std::vector<int> row(counts.size());
      long long rest = point;
      for (std::size_t j = counts.size(); j-- > 0;) {
        row[j] = static_cast<int>(rest % counts[j]);
        rest /= counts[j];
      }
      matrix.push_back(std::move(row));
    }
    return matrix;
  }
  LatinHypercube::Matrix matrix;
  if (design.kind == Design::Kind::LatinHypercube) {
    matrix = LatinHypercube::Random(design.points, factors, design.seed);
  } else {
    const int base = LatinHypercube::NearlyOrthogonalPoints(factors);
    matrix = LatinHypercube::NearlyOrthogonal(factors, design.points > 0 ? design.points / base : 1);
    // Each copy holds the levels 0..base-1.
    counts.assign(design.factors.size(), base);
    return matrix;
  }
  counts.assign(design.factors.size(), design.points);
  return matrix;
}

std::string Described(const nlohmann::ordered_json& factors) {
  std::string text;
  for (const auto& [key, value] : factors.items()) {
    text +=
        (text.empty() ? "" : ", ") + key + " " + value.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
  }
  return text;
}

bool ReadText(const std::string& path, std::string& text, std::string& error) {
  std::ifstream file(path, std::ios::binary);
  std::ostringstream all;
  all << file.rdbuf();
  if (!file) {
    error = path + ": cannot read the scenario file again";
    return false;
  }
  text = all.str();
  return true;
}
}  // namespace

bool DesignPlan::Load(const std::string& path, long long maxUnits, const std::array<std::string, 2>& generals,
                      std::unique_ptr<DesignPlan>& out, std::string& error) {
  Design settings;
  return DesignFile::Load(path, settings, error) && Make(std::move(settings), maxUnits, generals, out, error);
}

bool DesignPlan::Make(Design settings, long long maxUnits, const std::array<std::string, 2>& generals,
                      std::unique_ptr<DesignPlan>& out, std::string& error) {
  auto plan = std::make_unique<DesignPlan>();
  plan->design = std::move(settings);
  const std::string& scenarioFile = plan->design.scenarioFile;
  std::error_code code;
  // A pipe or device named in a shared file would hold the run forever.
  if (!scenarioFile.empty() && !std::filesystem::is_regular_file(scenarioFile, code)) {
    error = plan->design.file + ": scenario " + scenarioFile + " cannot be read (not a file)";
    return false;
  }
  if (!scenarioFile.empty()) {
    if (!ScenarioFile::Load(scenarioFile, plan->base, error)) return false;
    if (!ReadText(scenarioFile, plan->baseText, error)) return false;
  }
  if (!plan->CheckFactors(error) || !plan->MakePoints(maxUnits, generals, error)) return false;
  // The base battle names the study's Generals in its summary.
  if (!GeneralChoice::Apply(generals, plan->base, error)) return false;
  out = std::move(plan);
  return true;
}

// Each factor's extremes (or each of its levels) alone on the base battle, before any point is
// made, so that the message names the factor rather than a point that happens to reach it.
bool DesignPlan::CheckFactors(std::string& error) const {
  const ScenarioVariant variant(baseText, std::filesystem::path(design.scenarioFile).parent_path().string());
  for (const DesignFactor& factor : design.factors) {
    std::vector<std::pair<std::string, nlohmann::json>> tried;
    if (factor.ranged) {
      tried = {{"low", Value(factor, 0.0)}, {"high", Value(factor, 1.0)}};
    } else {
      for (std::size_t i = 0; i < factor.levels.size(); ++i)
        tried.emplace_back("level " + std::to_string(i + 1), factor.levels[i]);
    }
    for (const auto& [which, value] : tried) {
      Scenario ignored;
      if (variant.Make({{factor.key, value}}, ignored, error)) continue;
      error = factor.where + "factor \"" + factor.key + "\" (" + which + " " + value.dump() + "): " + error;
      return false;
    }
  }
  return true;
}

bool DesignPlan::MakePoints(long long maxUnits, const std::array<std::string, 2>& generals, std::string& error) {
  const ScenarioVariant variant(baseText, std::filesystem::path(design.scenarioFile).parent_path().string());
  std::vector<long long> counts;
  const LatinHypercube::Matrix levels = Levels(design, counts);
  for (std::size_t i = 0; i < levels.size(); ++i) {
    Point point;
    point.factors = nlohmann::ordered_json::object();
    std::vector<ScenarioVariant::Setting> settings;
    for (std::size_t j = 0; j < design.factors.size(); ++j) {
      const nlohmann::json value = Setting(design.factors[j], levels[i][j], counts[j]);
      point.factors[design.factors[j].key] = value;
      settings.emplace_back(design.factors[j].key, value);
    }
    const std::string named =
        design.file + ": point " + std::to_string(i + 1) + " (" + Described(point.factors) + "): ";
    if (!variant.Make(settings, point.scenario, error) || !UnitCount::WithinLimit(point.scenario, maxUnits, error) ||
        !GeneralChoice::Apply(generals, point.scenario, error)) {
      error = named + error;
      return false;
    }
    points.push_back(std::move(point));
  }
  return true;
}

bool DesignPlan::Prepare(HeadlessOptions& options, std::unique_ptr<DesignPlan>& out, std::string& error) {
  std::unique_ptr<DesignPlan> plan;
  if (!Load(options.designFile, options.maxUnits, options.generals, plan, error)) return false;
  if (options.designPoint > plan->Points() || options.designReplicate > plan->design.replicates) {
    error = options.designFile + ": " +
            (options.designPoint > plan->Points()
                 ? "--point " + std::to_string(options.designPoint) + " is past the design's " +
                       std::to_string(plan->Points()) + " points"
                 : "--replicate " + std::to_string(options.designReplicate) + " is past the design's " +
                       std::to_string(plan->design.replicates) + " replicates");
    return false;
  }
  const SeedRange seeds = plan->Seeds(options.designPoint, options.designReplicate);
  options.seeds.first = seeds.first;
  options.seeds.last = seeds.last;
  options.study = true;
  options.battles = 1;
  options.scenarioFile = plan->design.scenarioFile;
  out = std::move(plan);
  return true;
}

SeedRange DesignPlan::Seeds(int point, int replicate) const {
  SeedRange seeds;
  const auto replicates = static_cast<unsigned>(design.replicates);
  if (point == 0) {
    seeds.first = design.seed;
    seeds.last = design.seed + static_cast<unsigned>(points.size()) * replicates - 1;
    return seeds;
  }
  seeds.first = design.seed + static_cast<unsigned>(point - 1) * replicates +
                (replicate > 0 ? static_cast<unsigned>(replicate - 1) : 0);
  seeds.last = replicate > 0 ? seeds.first : seeds.first + replicates - 1;
  return seeds;
}

bool DesignPlan::Holds(unsigned seed) const {
  const SeedRange all = Seeds();
  return seed >= all.first && seed <= all.last;
}

int DesignPlan::PointOf(unsigned seed) const {
  return static_cast<int>((seed - design.seed) / static_cast<unsigned>(design.replicates)) + 1;
}

int DesignPlan::ReplicateOf(unsigned seed) const {
  return static_cast<int>((seed - design.seed) % static_cast<unsigned>(design.replicates)) + 1;
}

std::string DesignPlan::Line(const std::string& battleLine, unsigned seed, bool json) const {
  const nlohmann::ordered_json& factors = PointAt(PointOf(seed)).factors;
  const std::string point = std::to_string(PointOf(seed));
  const std::string replicate = std::to_string(ReplicateOf(seed));
  if (json) {
    // After "seed":S, the line's first member.
    const std::size_t at = battleLine.find(',') + 1;
    return battleLine.substr(0, at) + "\"point\":" + point + ",\"replicate\":" + replicate +
           ",\"factors\":" + factors.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace) + "," +
           battleLine.substr(at);
  }
  // "Battle 1 of seed S: ..." becomes "Point K replicate R of seed S (factors): ...".
  const std::size_t at = battleLine.find(": ");
  return "Point " + point + " replicate " + replicate + " of seed " + std::to_string(seed) + " (" + Described(factors) +
         ")" + battleLine.substr(at);
}
