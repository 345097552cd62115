"""A General with a handful of parameters, tuned by the cross-entropy method against the built-in
General: each generation draws candidates from a distribution over the parameters, plays each on
a few battles (leading red on some seeds and blue on others), and moves the distribution towards
the best. After every generation the distribution's mean plays a fixed set of battles, and its win
rate is printed with its 95% Wilson interval; the curve goes to docs/learning.png.

    PYTHONPATH=build/python python3 examples/learn_general.py [--generations 5] [--jobs 2]
"""

import argparse
import math
import pathlib
import sys
import time

import numpy

import battlesim

FORMATIONS = [None, "block", "wedge", "vee"]
TYPES = ["soldier", "archer", "berserker"]
# The numeric parameters: name, lowest, highest.
NUMBERS = [("flank", -40.0, 40.0), ("hold_back", 0.0, 25.0), ("archer_line", 0.0, 30.0), ("spread", 0.0, 1.0)]


class TunedGeneral:
    """Marches on the enemy its squads picked, in a formation by squad type; squads with no enemy in
    sight form a line hold_back from the middle (archers at archer_line), shifted sideways by flank
    and spread over a part of the field's width."""

    def __init__(self, numbers, formations):
        self.flank, self.hold_back, self.archer_line, self.spread = numbers
        self.formations = dict(zip(TYPES, formations))

    def on_squad_ready(self, battle, squad):
        order = {"formation": self.formations.get(squad.type)}
        if squad.target is not None:
            order.update(x=squad.target.x, z=squad.target.z)
            return order
        sign = 1 if battle.side == "red" else -1
        line = self.archer_line if squad.type == "archer" else self.hold_back
        terrain = battle.terrain
        half = max(1.0, (terrain.max_x - terrain.min_x) / 2 * self.spread)
        x = self.flank + (battle.rand() / 32767.0 - 0.5) * 2 * half
        order.update(x=min(max(x, terrain.min_x), terrain.max_x), z=sign * line)
        return order


def wilson(wins, games, z=1.96):
    if games == 0:
        return 0.0, 1.0
    rate = wins / games
    centre = (rate + z * z / (2 * games)) / (1 + z * z / games)
    half = z * math.sqrt(rate * (1 - rate) / games + z * z / (4 * games * games)) / (1 + z * z / games)
    return max(0.0, centre - half), min(1.0, centre + half)


def wins(general, seeds, jobs):
    """Battles won by general over the seeds, leading red on the first half and blue on the rest."""
    half = len(seeds) // 2
    red = battlesim.study(seeds=seeds[:half], jobs=jobs, red_general=general, max_seconds=900)
    blue = battlesim.study(seeds=seeds[half:], jobs=jobs, blue_general=general, max_seconds=900)
    return int((red["winner"] == "red").sum() + (blue["winner"] == "blue").sum()), len(seeds)


class Distribution:
    """Independent normals over the numbers and categorical draws over each type's formation."""

    def __init__(self, rng):
        self.rng = rng
        self.mean = numpy.array([(low + high) / 2 for _, low, high in NUMBERS])
        self.deviation = numpy.array([(high - low) / 4 for _, low, high in NUMBERS])
        self.choices = numpy.full((len(TYPES), len(FORMATIONS)), 1.0 / len(FORMATIONS))

    def draw(self):
        lows = numpy.array([low for _, low, _ in NUMBERS])
        highs = numpy.array([high for _, _, high in NUMBERS])
        numbers = numpy.clip(self.rng.normal(self.mean, self.deviation), lows, highs)
        formations = [int(self.rng.choice(len(FORMATIONS), p=row)) for row in self.choices]
        return numbers, formations

    def best(self):
        return self.mean, [int(row.argmax()) for row in self.choices]

    def refit(self, elite, smoothing=0.7):
        numbers = numpy.array([numbers for numbers, _ in elite])
        self.mean = smoothing * numbers.mean(axis=0) + (1 - smoothing) * self.mean
        self.deviation = smoothing * numbers.std(axis=0) + (1 - smoothing) * self.deviation + 0.5
        counts = numpy.zeros_like(self.choices)
        for _, formations in elite:
            for index, formation in enumerate(formations):
                counts[index, formation] += 1
        self.choices = smoothing * counts / len(elite) + (1 - smoothing) * self.choices


def general_of(candidate):
    numbers, formations = candidate
    return TunedGeneral(list(numbers), [FORMATIONS[f] for f in formations])


def describe(candidate):
    numbers, formations = candidate
    parts = [f"{name} {value:.1f}" for (name, _, _), value in zip(NUMBERS, numbers)]
    parts += [f"{kind} {FORMATIONS[f] or 'keep'}" for kind, f in zip(TYPES, formations)]
    return ", ".join(parts)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--generations", type=int, default=5)
    parser.add_argument("--population", type=int, default=10)
    parser.add_argument("--battles", type=int, default=8, help="battles per candidate")
    parser.add_argument("--check", type=int, default=40, help="battles that measure each generation's mean")
    parser.add_argument("--jobs", type=int, default=2)
    parser.add_argument("--plot", default="docs/learning.png")
    options = parser.parse_args()
    rng = numpy.random.default_rng(1)
    distribution = Distribution(rng)
    check_seeds = list(range(100001, 100001 + options.check))
    start = time.monotonic()
    played = 0
    curve = []

    def measure(label):
        nonlocal played
        won, games = wins(general_of(distribution.best()), check_seeds, options.jobs)
        played += games
        low, high = wilson(won, games)
        curve.append((won / games, low, high))
        print(f"{label}: win rate {100 * won / games:.1f}% (95% interval {100 * low:.1f}% to {100 * high:.1f}%) "
              f"against the built-in General; {played} battles, {time.monotonic() - start:.0f} s", flush=True)

    measure("generation 0")
    for generation in range(1, options.generations + 1):
        candidates = [distribution.draw() for _ in range(options.population)]
        seeds = list(range(generation * 1000, generation * 1000 + options.battles))
        scores = []
        for candidate in candidates:
            won, games = wins(general_of(candidate), seeds, options.jobs)
            played += games
            scores.append(won)
        order = numpy.argsort(scores)[::-1]
        distribution.refit([candidates[i] for i in order[: max(2, options.population // 4)]])
        measure(f"generation {generation}")
    print("best:", describe(distribution.best()))
    plot(curve, options.plot)


def plot(curve, path):
    try:
        import matplotlib

        matplotlib.use("Agg")
        import matplotlib.pyplot as pyplot
    except ImportError:
        print("matplotlib is missing: no plot", file=sys.stderr)
        return
    rates = numpy.array(curve)
    generations = numpy.arange(len(curve))
    figure, axes = pyplot.subplots(figsize=(6, 3.5))
    axes.fill_between(generations, rates[:, 1], rates[:, 2], alpha=0.3, label="95% Wilson interval")
    axes.plot(generations, rates[:, 0], marker="o", label="win rate of the mean")
    axes.axhline(0.5, color="grey", linestyle=":")
    axes.set_xlabel("generation")
    axes.set_ylabel("win rate against the built-in General")
    axes.set_ylim(0, 1)
    axes.legend(loc="lower right")
    figure.tight_layout()
    pathlib.Path(path).parent.mkdir(parents=True, exist_ok=True)
    figure.savefig(path, dpi=100)
    print("plot:", path)


if __name__ == "__main__":
    main()
