# battlesim.analyse on designs whose answer is known: battles drawn with chances that only some
# factors change, so the ranking, the verdicts and the point table can be checked exactly.
import json
import subprocess
import sys

import numpy as np
import pandas as pd
import pytest

import battlesim

LEVELS = [["soldier"], ["archer"], ["berserker"]]


def design_frame(chance, points=33, replicates=20, seed=5):
    """A Latin hypercube of two numeric factors and a factor of levels, each point's battles won by
    red with chance(squads, high)."""
    rng = np.random.default_rng(seed)
    squads = 2 + np.round(8 * (rng.permutation(points) + 0.5) / points)
    high = 3 * (rng.permutation(points) + 0.5) / points
    rows = []
    for point in range(points):
        for replicate in range(replicates):
            rows.append({"point": point, "replicate": replicate, "seed": 1000 * point + replicate,
                         "winner": "red" if rng.random() < chance(squads[point], high[point]) else "blue",
                         "casualties": int(rng.normal(300, 20)), "fingerprint": f"{point:08x}{replicate:08x}",
                         "red.squads": int(squads[point]), "terrain.high": high[point],
                         "blue.types": LEVELS[point % 3]})
    return pd.DataFrame(rows)


def squads_only(squads, high):
    return 0.1 + 0.8 * (squads - 2) / 8


def test_the_one_factor_that_changes_the_battle_ranks_first_and_the_others_are_nothing():
    found = battlesim.analyse(design_frame(squads_only))
    assert found.ranking[0] == "red.squads"
    assert found.deciding == ["red.squads"]
    assert set(found.negligible) == {"terrain.high", "blue.types"}
    first = found.effects.iloc[0]
    assert 0.6 < first["win_low"] < 0.8 < first["win_high"]
    # Both metamodels predict held-out points better than the overall win rate does.
    assert found.logistic["skill"] > 0.1 and found.tree["skill"] > 0.1
    assert "Indistinguishable from nothing: " in str(found)


def test_two_equally_strong_factors_are_said_to_be_untold_apart():
    found = battlesim.analyse(design_frame(lambda squads, high: 0.1 + 0.4 * (squads - 2) / 8 + 0.4 * high / 3))
    assert set(found.deciding) == {"red.squads", "terrain.high"}
    assert [set(pair) for pair in found.untold] == [{"red.squads", "terrain.high"}]
    assert "cannot tell" in str(found)


def test_each_points_win_rate_has_its_wilson_interval():
    frame = design_frame(squads_only, points=6, replicates=10)
    frame.loc[:29, "winner"] = ["red"] * 7 + ["blue"] * 3 + ["blue"] * 10 + ["red"] * 10
    points = battlesim.analyse(frame).points
    assert list(points["red_win_rate"][:3]) == [0.7, 0.0, 1.0]
    assert points.loc[0, ["red_win_low", "red_win_high"]].tolist() == pytest.approx([0.3968, 0.8922], abs=1e-4)


def run_tool(*arguments):
    return subprocess.run([sys.executable, "-m", "battlesim.analysis", *map(str, arguments)], capture_output=True,
                          text=True)


def test_the_tool_reads_a_runs_lines_and_draws_the_three_pictures(tmp_path):
    lines = tmp_path / "design.jsonl"
    with open(lines, "w") as file:
        for row in design_frame(squads_only).to_dict("records"):
            factors = {key: row.pop(key) for key in ("red.squads", "terrain.high", "blue.types")}
            file.write(json.dumps({**row, "factors": factors}) + "\n")
        file.write('{"summary":true,"finished":660}\n')
    done = run_tool(lines, "--plots", tmp_path / "plots")
    assert done.returncode == 0, done.stderr
    assert "Decides the battle, strongest first: red.squads" in done.stdout
    for name in ("main_effects.png", "interaction.png", "tree.png"):
        assert (tmp_path / "plots" / name).read_bytes()[:8] == b"\x89PNG\r\n\x1a\n"


def test_the_tool_refuses_lines_without_factors_in_one_line(tmp_path):
    lines = tmp_path / "study.jsonl"
    lines.write_text('{"seed":1,"battle":1,"winner":"red","casualties":300}\n')
    done = run_tool(lines)
    assert done.returncode == 2
    assert done.stderr.count("\n") == 1 and "no factor columns" in done.stderr


def test_real_battles_where_only_reds_squads_change_the_battle(tmp_path):
    """Red's squads from 1 to 5 against blue's 5, crossed with a factor no battle reads."""
    from conftest import ROOT

    base = (ROOT / "scenarios" / "default.toml").read_text()
    base = base.replace("../Textures/ASTest.png", str(ROOT / "Textures" / "ASTest.png"))
    frames = []
    for squads in range(1, 6):
        scenario = tmp_path / f"red-{squads}.toml"
        scenario.write_text(base.replace("squads = 5      #", f"squads = {squads}      #", 1))
        for unread in (0, 1):
            seeds = range(10 * squads + 5 * unread, 10 * squads + 5 * unread + 4)
            battles = battlesim.study(seeds=seeds, scenario=scenario, jobs=2)
            frames.append(battles.assign(point=2 * squads + unread, **{"red.squads": squads, "unread.level": unread}))
    found = battlesim.analyse(pd.concat(frames, ignore_index=True))
    assert found.ranking[0] == "red.squads"
    assert found.deciding == ["red.squads"] and found.negligible == ["unread.level"]
