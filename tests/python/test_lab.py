# The module plays the program's battles: the same lines for the same options, in Python's types.
import os
import signal
import threading

import pandas
import pytest

import battlesim
from conftest import ROOT


def battle_lines(lines):
    return [line for line in lines if not line.get("summary")]


def test_run_gives_the_programs_battle_lines(headless):
    expected = battle_lines(headless("--seed", 3, "--battles", 2, "--no-blood"))
    assert battlesim.run(seed=3, battles=2, blood=False) == expected


def test_study_rows_are_the_programs_seed_lines_in_seed_order(headless):
    expected = battle_lines(headless("--seeds", "4-7", "--jobs", 2))
    frame = battlesim.study(seeds=[7, 5, 4, 6], jobs=2)
    assert list(frame.columns[:2]) == ["seed", "battle"]
    assert frame.to_dict("records") == expected


def test_tournament_gives_the_programs_games_and_standings(headless):
    files = [ROOT / "strategies" / "builtin.lua", ROOT / "strategies" / "concentrate-left.lua"]
    lines = headless("--seeds", "1-2", "--tournament", *files)
    games, standings = battlesim.tournament([str(f) for f in files], seeds=range(1, 3))
    assert games.to_dict("records") == [line for line in lines if "game" in line]
    assert standings.to_dict("records") == [line for line in lines if "rank" in line]


def test_timeline_gives_the_programs_rows(tmp_path, headless):
    path = tmp_path / "timeline.csv"
    headless("--seed", 2, "--timeline", path)
    pandas.testing.assert_frame_equal(battlesim.timeline(seed=2), pandas.read_csv(path))


def test_a_missing_file_is_named():
    with pytest.raises(FileNotFoundError, match="scenario") as raised:
        battlesim.run(scenario="no/such.toml")
    assert raised.value.filename == "no/such.toml"
    with pytest.raises(FileNotFoundError, match="blue_general"):
        battlesim.run(blue_general="missing.lua")


def test_a_broken_file_is_refused_with_its_name(tmp_path):
    scenario = tmp_path / "broken.toml"
    scenario.write_text("[armies\n")
    with pytest.raises(ValueError, match="broken.toml"):
        battlesim.run(scenario=scenario)
    script = tmp_path / "broken.lua"
    script.write_text("function on_squad_ready(battle, squad\n")
    with pytest.raises(ValueError, match="broken.lua"):
        battlesim.study(seeds=range(1, 2), red_general=str(script))


@pytest.mark.parametrize("call, name", [
    (lambda: battlesim.run(seed="1"), "seed"),
    (lambda: battlesim.run(frame_ms=1.5), "frame_ms"),
    (lambda: battlesim.run(blood=1), "blood"),
    (lambda: battlesim.run(red_general=42), "red_general"),
    (lambda: battlesim.study(seeds=5), "seeds"),
    (lambda: battlesim.tournament("a.lua"), "strategies"),
    (lambda: battlesim.run(fram_ms=16), "fram_ms"),
])
def test_a_wrong_type_or_keyword_is_a_type_error_naming_it(call, name):
    with pytest.raises(TypeError, match=name):
        call()


@pytest.mark.parametrize("call, name", [
    (lambda: battlesim.run(battles=0), "battles"),
    (lambda: battlesim.run(frame_ms=131), "frame_ms"),
    (lambda: battlesim.run(max_seconds=-1), "max_seconds"),
    (lambda: battlesim.study(seeds=[], jobs=1), "seeds"),
    (lambda: battlesim.study(seeds=range(1, 3), jobs=0), "jobs"),
    (lambda: battlesim.study(seeds=[3, 3, 1]), "seed 3 twice"),
    (lambda: battlesim.tournament([str(ROOT / "strategies" / "builtin.lua")] * 2, seeds=[1, 1, 2]), "seed 1 twice"),
])
def test_a_value_out_of_range_is_a_value_error_naming_it(call, name):
    with pytest.raises(ValueError, match=name):
        call()


def test_ctrl_c_stops_a_run_between_steps():
    timer = threading.Timer(0.5, lambda: os.kill(os.getpid(), signal.SIGINT))
    timer.start()
    try:
        with pytest.raises(KeyboardInterrupt):
            battlesim.run(seed=1, battles=100000)
    finally:
        timer.cancel()
    assert signal.getsignal(signal.SIGINT) is signal.default_int_handler
    assert len(battlesim.run(seed=1)) == 1


def test_a_study_of_scattered_seeds_runs_each_block_of_them(headless):
    expected = battle_lines(headless("--seeds", "1-2")) + battle_lines(headless("--seeds", "9-9"))
    assert battlesim.study(seeds=[9, 2, 1], jobs=1).to_dict("records") == expected


def test_a_farm_has_a_column_per_factor_and_the_programs_design_lines(tmp_path, headless):
    design = tmp_path / "farm.toml"
    design.write_text(f'scenario = "{ROOT / "scenarios" / "default.toml"}"\ndesign = "factorial"\nreplicates = 2\n'
                      '[[factor]]\nkey = "red.squads"\nlevels = [1, 2]\n[[factor]]\nkey = "blue.squads"\nlevels = [1]\n'
                      '[[factor]]\nkey = "blue.types"\nlevels = [["archer"], ["soldier"]]\n')
    expected = battle_lines(headless("--design", design))
    frame = battlesim.farm(design, jobs=2)
    assert list(frame.columns[:6]) == ["point", "replicate", "seed", "red.squads", "blue.squads", "blue.types"]
    assert len(frame) == 8 and frame["blue.types"].iloc[2] == ["soldier"]
    for line, row in zip(expected, frame.to_dict("records")):
        assert row == {**{key: value for key, value in line.items() if key != "factors"}, **line["factors"]}
