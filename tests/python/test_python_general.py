# Generals written in Python lead a side exactly where a Lua script would, and forfeit as one does.
import faulthandler
import os
import signal
import subprocess
import sys
import threading

import pytest

import battlesim
from conftest import ROOT

sys.path.insert(0, str(ROOT / "examples"))
from builtin_general import BuiltinGeneral  # noqa: E402


def fingerprints(lines):
    return [line["fingerprint"] for line in lines]


def test_the_python_twin_fights_the_built_in_generals_battles(headless):
    expected = [line for line in headless("--seed", 5, "--battles", 2) if not line.get("summary")]
    both = battlesim.run(seed=5, battles=2, red_general=BuiltinGeneral(), blue_general=BuiltinGeneral())
    assert fingerprints(both) == fingerprints(expected)
    assert both == expected


def test_the_python_twin_on_a_scenario_matches_the_lua_builtin(headless):
    scenario = ROOT / "scenarios" / "berserker-rush.toml"
    lua = ROOT / "strategies" / "builtin.lua"
    expected = headless("--seeds", "1-2", "--scenario", scenario, "--red-general", lua)
    rows = battlesim.study(seeds=range(1, 3), jobs=2, scenario=scenario, red_general=BuiltinGeneral())
    assert list(rows["fingerprint"]) == fingerprints(line for line in expected if not line.get("summary"))


class Answering:
    """Answers every ready squad with the same thing."""

    def __init__(self, answer):
        self.answer = answer

    def on_squad_ready(self, battle, squad):
        return self.answer


def red_forfeit(general):
    line = battlesim.run(seed=1, red_general=general, max_seconds=120)[0]
    return line.get("forfeit"), line.get("forfeit_reason", "")


@pytest.mark.parametrize("answer, reason", [
    ("north", "returned str; it must return None"),
    ([1, 2], "returned list"),
    ({"x": 1}, "without numbers x and z"),
    ({"x": "1", "z": 2}, "without numbers x and z"),
    ({"x": True, "z": 2}, "without numbers x and z"),
    ({"x": float("nan"), "z": 0}, "whose x is not a number (NaN)"),
    ({"x": 127.5, "z": 0}, "off the terrain (127.5, 0.0)"),
    ({"x": 1e9, "z": 0}, "off the terrain"),
    ({"x": 2 ** 2000, "z": 0}, "without numbers x and z"),
    ({"x": 0, "z": 0, "formation": "square"}, "formation 'square'"),
    ({"x": 0, "z": 0, "formation": 4}, "formation 4;"),
    ({"x": 0, "z": 0, "formation": True}, "formation bool;"),
    ({"x": 0, "z": 0, "fomration": "vee"}, "returned an unknown key 'fomration' (an answer holds x, z and formation)"),
])
def test_a_nonsense_answer_forfeits_saying_what_was_wrong(answer, reason):
    side, why = red_forfeit(Answering(answer))
    assert side == "red"
    assert reason in why
    assert "test_python_general.py" in why


def test_the_told_bounds_hold_goals_and_heights_and_a_formation_may_be_its_number():
    seen = []

    class Edgy:
        def on_squad_ready(self, battle, squad):
            t = battle.terrain
            seen.append((battle.height(t.max_x, t.min_z) is not None, battle.height(t.max_x + 0.99, 0),
                         battle.height(0, t.min_z - 0.5)))
            return {"x": t.max_x, "z": t.max_z, "formation": 2}

    line = battlesim.run(seed=1, red_general=Edgy(), max_seconds=20)[0]
    assert "forfeit" not in line
    assert seen and set(seen) == {(True, None, None)}


def divide_by_zero():
    return 1 / 0


def test_an_exception_forfeits_naming_the_line_that_raised_it():
    class Failing:
        def on_squad_ready(self, battle, squad):
            return {"x": divide_by_zero(), "z": 0}

    side, why = red_forfeit(Failing())
    assert side == "red"
    assert why == f"{__file__}:{divide_by_zero.__code__.co_firstlineno + 1}: ZeroDivisionError: division by zero"


@pytest.mark.parametrize("yes", ["yes", 1])
def test_general_fights_must_answer_true_or_false(yes):
    class Fighting(BuiltinGeneral):
        def general_fights(self, battle):
            return yes if battle.time > 1 else False

    side, why = red_forfeit(Fighting())
    assert side == "red" and "it must return True or False" in why


def test_a_battle_kept_from_a_call_cannot_be_read_later():
    class Keeping(BuiltinGeneral):
        kept = None

        def on_squad_ready(self, battle, squad):
            Keeping.kept = battle
            return super().on_squad_ready(battle, squad)

    battlesim.run(seed=1, red_general=Keeping(), max_seconds=10)
    with pytest.raises(RuntimeError, match="during the call"):
        Keeping.kept.squads()


def test_a_battle_kept_from_an_earlier_call_cannot_be_read_in_a_later_one():
    class KeepingFirst:
        kept = None
        errors = []

        def on_squad_ready(self, battle, squad):
            if KeepingFirst.kept is None:
                KeepingFirst.kept = battle
            else:
                try:
                    KeepingFirst.kept.time
                except RuntimeError as error:
                    KeepingFirst.errors.append(str(error))
            return None

    battlesim.run(seed=1, red_general=KeepingFirst(), max_seconds=10)
    assert KeepingFirst.errors and all("during the call" in error for error in KeepingFirst.errors)


def test_the_battle_view_holds_what_a_script_sees():
    seen = {}

    class Looking(BuiltinGeneral):
        def on_squad_ready(self, battle, squad):
            if not seen:
                seen.update(side=battle.side, width=battle.terrain.width, squads=len(battle.squads()),
                            enemies=len(battle.enemies()), enemy=battle.enemy_general.name,
                            height=battle.height(0, 0), off=battle.height(1e6, 0), type=squad.type)
            return super().on_squad_ready(battle, squad)

    battlesim.run(seed=1, blue_general=Looking(), max_seconds=10)
    assert seen["side"] == "blue" and seen["squads"] == 5 and seen["enemies"] == 5
    assert seen["width"] > 0 and seen["height"] is not None and seen["off"] is None
    assert seen["enemy"].startswith("General") and seen["type"] in ("soldier", "archer", "berserker")


class Strange:
    """Answers that misbehave when looked at."""

    def __eq__(self, other):
        raise RuntimeError("do not compare me")

    __hash__ = object.__hash__

    def __float__(self):
        raise RuntimeError("do not convert me")


class Dictish(dict):
    def __getitem__(self, key):
        raise KeyError(key)


def fuzzed_answers(rng):
    values = [None, True, 0, -1, 2 ** 70, 1.5, float("inf"), -float("nan"), "", "x", b"wedge", [], (),
              {}, Strange(), object(), 1j, range(3), Dictish(x=0, z=0)]
    for _ in range(60):
        kind = rng.randrange(3)
        if kind == 0:
            yield rng.choice(values)
        else:
            answer = {key: rng.choice(values) for key in ("x", "z", "formation") if rng.random() < 0.8}
            if kind == 2:
                answer.update(x=rng.uniform(-200, 200), z=rng.uniform(-200, 200))
            yield answer


def test_fuzzed_answers_either_march_or_forfeit_with_a_reason():
    import random

    rng = random.Random(33)
    answers = list(fuzzed_answers(rng))

    class Fuzzing:
        def on_squad_ready(self, battle, squad):
            return answers.pop() if answers else None

    lines = battlesim.run(seed=2, battles=4, red_general=Fuzzing(), max_seconds=30)
    assert lines, "the run must report its battles"
    for line in lines:
        if "forfeit" in line:
            assert line["forfeit"] == "red" and line["forfeit_reason"]


def test_a_forfeit_ends_only_its_battle():
    class FailsFirst(BuiltinGeneral):
        battles_seen = 0

        def on_squad_ready(self, battle, squad):
            if battle.time < 6 and FailsFirst.battles_seen == 0:
                FailsFirst.battles_seen = 1
                raise ValueError("not yet")
            return super().on_squad_ready(battle, squad)

    lines = battlesim.run(seed=1, battles=2, red_general=FailsFirst(), max_seconds=600)
    assert lines[0]["forfeit"] == "red" and lines[0]["forfeit_reason"].endswith("ValueError: not yet")
    assert "forfeit" not in lines[1] and lines[1]["winner"] in ("red", "blue")


class Counting(BuiltinGeneral):
    """Holds every third squad it is asked about: its battles depend on every call it had before."""

    def __init__(self):
        self.calls = 0

    def on_squad_ready(self, battle, squad):
        self.calls += 1
        return None if self.calls % 3 == 0 else super().on_squad_ready(battle, squad)


def test_no_two_battles_at_once_share_a_general():
    given = Counting()
    rows = battlesim.study(seeds=range(1, 5), jobs=2, red_general=given, max_seconds=60)
    alone = [battlesim.run(seed=seed, red_general=Counting(), max_seconds=60)[0]["fingerprint"] for seed in range(1, 5)]
    assert list(rows["fingerprint"]) == alone and given.calls == 0
    vector = battlesim.VectorBattleEnv(2, opponent=Counting(), max_seconds=60)
    vector.reset(seed=1)
    single = battlesim.BattleEnv(opponent=Counting(), max_seconds=60)
    single.reset(seed=2)
    for _ in range(30):
        vector.step([None, None])
        single.step(None)
    assert vector.fingerprints()[1] == single.fingerprint()
    vector.close()
    single.close()


class Raising:
    def __init__(self, error):
        self.error = error

    def on_squad_ready(self, battle, squad):
        raise self.error


class Looping:
    def on_squad_ready(self, battle, squad):
        while True:
            pass


def step_on(env):
    env.reset(seed=1)
    for _ in range(1000):
        env.step(None)


@pytest.mark.parametrize("error", [SystemExit(3), KeyboardInterrupt(), MemoryError("no room")])
def test_exit_interrupt_and_memory_errors_end_the_run_instead_of_forfeiting(error):
    for call in (lambda: battlesim.run(seed=1, red_general=Raising(error)),
                 lambda: battlesim.study(seeds=range(1, 5), jobs=2, blue_general=Raising(error)),
                 lambda: step_on(battlesim.BattleEnv(opponent=Raising(error)))):
        with pytest.raises(type(error)) as raised:
            call()
        assert raised.value.args == error.args
    assert battlesim.run(seed=1, max_seconds=10)


def test_ctrl_c_stops_a_general_that_never_returns():
    # Should it not, the test is ended with a traceback rather than hang.
    faulthandler.dump_traceback_later(60, exit=True)
    env = battlesim.BattleEnv(opponent=Looping())
    for call in (lambda: battlesim.study(seeds=range(1, 3), jobs=2, red_general=Looping()), lambda: step_on(env)):
        threading.Timer(0.5, os.kill, (os.getpid(), signal.SIGINT)).start()
        with pytest.raises(KeyboardInterrupt):
            call()
    env.close()
    faulthandler.cancel_dump_traceback_later()
    assert battlesim.run(seed=1, max_seconds=10)


def test_sigterm_ends_python_as_it_would_without_a_run():
    script = ("import os, signal, threading, battlesim\n"
              "class Looping:\n"
              "    def on_squad_ready(self, battle, squad):\n"
              "        while True:\n"
              "            pass\n"
              "threading.Timer(0.5, os.kill, (os.getpid(), signal.SIGTERM)).start()\n"
              "battlesim.run(seed=1, red_general=Looping())\n")
    done = subprocess.run([sys.executable, "-c", script], cwd=ROOT, capture_output=True, text=True, timeout=120)
    assert done.returncode == -signal.SIGTERM, done.stderr[-500:]
