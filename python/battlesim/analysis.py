"""Which factors decide a designed study's battles: battlesim.analyse(frame) on a design's DataFrame,
or from a shell over a run's JSON lines:

    python3 -m battlesim.analysis FILE.jsonl [--plots DIR]

prints red's win rate and the casualties at each design point, each factor's main effect, the
logistic model and the decision tree judged on held-out design points, and the factors ranked, and
draws main_effects.png, interaction.png and tree.png in DIR."""

import argparse
import json
import sys

import pandas as pd

from battlesim import _effects, _factors, _metamodels


class Analysis:
    """What analyse found. points: a row per design point; effects: a row per factor, ranked, with
    the main effect on red's win rate (win, win_low, win_high, from the win_from setting to win_to)
    and on the casualties, and whether the factor decides the battle; untold: neighbours in the
    ranking the data cannot tell apart; logistic and tree: the metamodels and their held-out
    scores; plots: the PNG files drawn."""

    def __init__(self, points, effects, untold, logistic, tree, ignored):
        self.points = points
        self.effects = effects.drop(columns=["win_vector"])
        self.untold = untold
        self.logistic = logistic
        self.tree = tree
        self.ignored = ignored
        self.plots = []

    @property
    def ranking(self):
        return list(self.effects["factor"])

    @property
    def deciding(self):
        return list(self.effects.loc[self.effects["decides"], "factor"])

    @property
    def negligible(self):
        return list(self.effects.loc[~self.effects["decides"], "factor"])

    def __str__(self):
        return "\n".join(self.point_lines() + [""] + self.effect_lines() + [""] + self.model_lines() + [""]
                         + self.verdict_lines())

    def point_lines(self):
        lines = ["Point  Battles  Red win rate  95% interval    Casualties  95% interval"]
        for row in self.points.itertuples():
            lines.append(f"{row.point:5}  {row.battles:7}  {row.red_win_rate:11.1%}  {row.red_win_low:5.1%} to "
                         f"{row.red_win_high:5.1%}  {row.casualties:10.1f}  {row.casualties_low:.1f} to "
                         f"{row.casualties_high:.1f}")
        return lines

    def effect_lines(self):
        lines = ["Rank  Factor (from -> to)  effect on red's win rate [95% interval]  on casualties  p (Holm)"]
        for row in self.effects.itertuples():
            lines.append(f"{row.rank:4}  {row.factor} ({row.win_from} -> {row.win_to})  {row.win:+.3f} "
                         f"[{row.win_low:+.3f}, {row.win_high:+.3f}]  {row.casualties:+.1f} "
                         f"[{row.casualties_low:+.1f}, {row.casualties_high:+.1f}]  {row.win_p_holm:.3g}")
        return lines

    def model_lines(self):
        paired = self.logistic["paired"]
        if len(paired) >= 2 and len(paired) < len(self.effects):
            logistic = f"Logistic model with the two-factor interactions of the {len(paired)} strongest factors"
        elif len(paired) >= 2:
            logistic = "Logistic model with two-factor interactions"
        else:
            logistic = "Logistic model of the main effects (too few design points for interactions)"
        lines = []
        for name, model in ((logistic, self.logistic), (f"Decision tree of depth {_metamodels.TREE_DEPTH}", self.tree)):
            if model["baseline_brier"] == 0:
                lines.append(f"{name}: every battle ended alike, nothing to predict")
                continue
            lines.append(f"{name}, on held-out design points: Brier score {model['held_out_brier']:.3f} "
                         f"against {model['baseline_brier']:.3f} for the overall rate (skill {model['skill']:+.2f}), "
                         f"off each point's win rate by {model['point_error']:.3f} on average")
        if self.logistic["strongest"]:
            first, second, value = self.logistic["strongest"]
            lines.append(f"Strongest interaction: {first} with {second} (coded log-odds term {value:+.2f})")
        return lines

    def verdict_lines(self):
        lines = []
        if self.deciding:
            lines.append("Decides the battle, strongest first: " + ", ".join(self.deciding))
        else:
            lines.append("No factor changes red's win rate more than chance would.")
        for first, second in self.untold:
            lines.append(f"The data cannot tell {first} and {second} apart: which matters more is unknown.")
        if self.negligible:
            lines.append("Indistinguishable from nothing: " + ", ".join(self.negligible))
        lines.append(f"(Each verdict allows for the {len(self.effects)} factors tested at once: Holm's adjusted "
                     "p below 0.05. An interval that only just misses 0 can still be chance.)")
        if self.ignored:
            lines.append("Not varied in this design: " + ", ".join(self.ignored))
        return lines


def prepared(frame, factors):
    """The battles with the red_win column and a point per setting when the frame has no points."""
    missing = [column for column in ("winner", "casualties") if column not in frame.columns]
    if missing:
        raise ValueError(f"the frame has no {missing[0]} column: give the battles of a design")
    names = list(factors) if factors is not None else _factors.factor_columns(frame)
    unknown = [name for name in names if name not in frame.columns]
    if unknown:
        raise ValueError(f"no such factor column: {unknown[0]}")
    if not names:
        raise ValueError("the frame has no factor columns (a design's battles have one per factor key, "
                         "such as red.squads)")
    battles = frame.reset_index(drop=True).copy()
    battles["red_win"] = (battles["winner"] == "red").astype(float)
    if "point" not in battles.columns:
        settings = battles[names].map(_factors.level_text) if hasattr(battles, "map") else \
            battles[names].applymap(_factors.level_text)
        battles["point"] = settings.groupby(names, sort=False).ngroup()
    return battles, names


def tree_columns(frame, factors, matrix):
    """The tree's columns: numeric factors in their own units, so its splits read as settings."""
    natural = matrix.copy()
    for factor in factors:
        if factor.numeric:
            natural[factor.name] = frame[factor.name].astype(float)
    return natural


def analyse(frame, factors=None, plots=None):
    """Which factors decide the battles of a design's frame (battlesim.farm's, or the JSON lines of
    battlesim-headless --design read by read_lines): an Analysis; print it for the report. factors
    names the factor columns (default: every column named like a scenario key, with a dot); plots,
    a folder, draws the PNG files there."""
    battles, names = prepared(frame, factors)
    every = _factors.factors_of(battles, names)
    varied = [factor for factor in every if factor.varied]
    if not varied:
        raise ValueError("no factor takes more than one value in these battles")
    matrix = _factors.coded_matrix(battles, varied)
    points = battles["point"].nunique()
    if points <= matrix.shape[1] + 1:
        raise ValueError(f"{points} design points cannot tell {len(varied)} factors' effects apart: "
                         f"it takes at least {matrix.shape[1] + 2}")
    effects, win_fit = _effects.main_effects(battles, matrix, varied)
    natural = tree_columns(battles, varied, matrix)
    result = Analysis(_effects.point_table(battles, varied), effects, _effects.untold_pairs(effects, win_fit),
                      _metamodels.logistic_metamodel(battles, matrix, varied, list(effects["factor"])),
                      _metamodels.tree_metamodel(battles, natural),
                      [factor.name for factor in every if not factor.varied])
    if plots is not None:
        from battlesim._analysis_plots import draw

        result.plots = draw(plots, battles, varied, result.logistic, result.tree, natural.columns)
    return result


def read_lines(path):
    """The battle lines of a run's --json output as a DataFrame, each factor a column."""
    rows = []
    with open(path) as file:
        for number, text in enumerate(file, 1):
            if not text.strip():
                continue
            try:
                line = json.loads(text)
            except json.JSONDecodeError:
                raise ValueError(f"{path}:{number}: not a JSON line") from None
            if not isinstance(line, dict):
                raise ValueError(f"{path}:{number}: not a battle line")
            if not line.get("summary") and "winner" in line:
                rows.append({**{key: value for key, value in line.items() if key != "factors"},
                             **line.get("factors", {})})
    if not rows:
        raise ValueError(f"{path}: no battle lines")
    return pd.DataFrame(rows)


def main(argv=None):
    parser = argparse.ArgumentParser(prog="python3 -m battlesim.analysis",
                                     description="Which factors decide a design's battles.")
    parser.add_argument("file", help="a run's --json lines (battlesim-headless --design FILE --json)")
    parser.add_argument("--plots", metavar="DIR", help="draw main_effects.png, interaction.png and tree.png here")
    options = parser.parse_args(argv)
    try:
        result = analyse(read_lines(options.file), plots=options.plots)
    except (OSError, ValueError) as failure:
        reason = f"{failure.filename}: {failure.strerror}" if isinstance(failure, OSError) else failure
        print(f"analysis: error: {reason}", file=sys.stderr)
        return 2
    print(result)
    for path in result.plots:
        print(f"Wrote {path}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
