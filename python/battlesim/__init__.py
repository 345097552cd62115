"""battlesim from Python: the headless program's battles, studies, tournaments and timelines as
Python lists and pandas DataFrames, Generals written in Python, battles played one decision at
a time (see battlesim.env), and which factors decide a designed study (see battlesim.analysis).

Every function plays the very battles battlesim-headless plays for the same options: a battle line
here is the program's --json line as a dict. Battles run without Python's lock, and Ctrl-C stops
them between two steps with KeyboardInterrupt.
"""

import copy
import json
import math
import numbers
import operator
import os
import tempfile
import threading

from battlesim import _battlesim
from battlesim._battlesim import BattleView, General, Point, Squad, Terrain

__all__ = ["run", "load", "study", "farm", "tournament", "timeline", "analyse", "BattleEnv", "ParallelBattleEnv",
           "VectorBattleEnv", "BattleView", "General", "Point", "Squad", "Terrain"]

# The command line's own bounds, so that a bad value is named by its Python argument.
_MOST_BATTLES = 1000000
_LONGEST_FRAME_MS = 130
_LONGEST_BATTLE_SECONDS = 604800.0
_MOST_JOBS = 1024
_LARGEST_SEED = 4294967295


def _integer(name, value, low, high):
    if isinstance(value, bool) or not isinstance(value, numbers.Integral):
        raise TypeError(f"{name} must be an integer, not {type(value).__name__}")
    value = operator.index(value)
    if not low <= value <= high:
        raise ValueError(f"{name} must be from {low} to {high}, not {value}")
    return value


def _file(name, value):
    if not isinstance(value, (str, os.PathLike)):
        raise TypeError(f"{name} must be a file name, not {type(value).__name__}")
    path = os.fspath(value)
    if not isinstance(path, str):
        raise TypeError(f"{name} must be a file name given as text, not {type(path).__name__}")
    if not os.path.exists(path):
        raise FileNotFoundError(2, f"{name}: no such file", path)
    if os.path.isdir(path):
        raise ValueError(f"{name}: {path} is a folder, not a file")
    return path


def _general(name, value):
    """None (the scenario's General), a Lua file's name, or a Python General."""
    if value is None:
        return None, None
    if isinstance(value, (str, os.PathLike)):
        return _file(name, value), None
    if not callable(getattr(value, "on_squad_ready", None)):
        raise TypeError(f"{name} must be a Lua file or an object with a method on_squad_ready(battle, squad), "
                        f"not {type(value).__name__}")
    fights = getattr(value, "general_fights", None)
    if fights is not None and not callable(fights):
        raise TypeError(f"{name}.general_fights must be a method")
    return None, value


def _time_limit(max_seconds):
    """The command line's --max-seconds, none for None."""
    if max_seconds is None:
        return []
    if isinstance(max_seconds, bool) or not isinstance(max_seconds, numbers.Real):
        raise TypeError(f"max_seconds must be a number of seconds, not {type(max_seconds).__name__}")
    if not 0 < max_seconds <= _LONGEST_BATTLE_SECONDS or math.isnan(max_seconds):
        raise ValueError(f"max_seconds must be above 0 and at most {_LONGEST_BATTLE_SECONDS:.0f}, not {max_seconds}")
    return ["--max-seconds", repr(float(max_seconds))]


def _battle_arguments(scenario, frame_ms, blood, max_seconds, red_general, blue_general):
    """The command line's battle options, and the Python Generals by side."""
    arguments = ["--frame-ms", str(_integer("frame_ms", frame_ms, 1, _LONGEST_FRAME_MS))]
    if scenario is not None:
        arguments += ["--scenario", _file("scenario", scenario)]
    if not isinstance(blood, bool):
        raise TypeError(f"blood must be True or False, not {type(blood).__name__}")
    if not blood:
        arguments.append("--no-blood")
    arguments += _time_limit(max_seconds)
    generals = []
    for side, value in (("red", red_general), ("blue", blue_general)):
        script, python_general = _general(f"{side}_general", value)
        if script is not None:
            arguments += [f"--{side}-general", script]
        generals.append(python_general)
    return arguments, generals


def _lab(arguments, generals=(None, None), copy_per_seed=False):
    """The --json lines of the headless program for these arguments, as dicts. With copy_per_seed
    each seed's battles are led by copies of the Python Generals of their own."""
    watch = threading.current_thread() is threading.main_thread()
    status, text, error = _battlesim.lab(arguments, generals[0], generals[1], watch, copy_per_seed)
    if status == 2:
        raise ValueError(error or "the battle could not be run")
    return [json.loads(line) for line in text.splitlines() if line]


def _seed_blocks(seeds):
    """The seeds in order, as runs of consecutive seeds: (first, last) pairs."""
    if isinstance(seeds, (str, bytes)) or not hasattr(seeds, "__iter__"):
        raise TypeError(f"seeds must be a range or a list of integers, not {type(seeds).__name__}")
    ordered = sorted(_integer("seeds", seed, 0, _LARGEST_SEED) for seed in seeds)
    if not ordered:
        raise ValueError("seeds must hold at least one seed")
    for seed, following in zip(ordered, ordered[1:]):
        if seed == following:
            raise ValueError(f"seeds holds seed {seed} twice: a seed plays the same battle every time "
                             f"(battles=N plays N battles of each seed)")
    blocks = []
    for seed in ordered:
        if blocks and blocks[-1][1] + 1 == seed:
            blocks[-1][1] = seed
        else:
            blocks.append([seed, seed])
    return blocks


def _data_frame(rows, first_columns=()):
    import pandas

    frame = pandas.DataFrame(rows)
    present = [column for column in first_columns if column in frame.columns]
    return frame[present + [column for column in frame.columns if column not in present]]


def run(seed=1, battles=1, scenario=None, red_general=None, blue_general=None, frame_ms=16, blood=True,
        max_seconds=None):
    """The battles of one seed, one after another on one battlefield: a list of dicts, each the
    headless program's --json battle line (fingerprint included).

    red_general and blue_general are a Lua strategy file or a Python General: an object with
    on_squad_ready(battle, squad) and optionally general_fights(battle)."""
    arguments, generals = _battle_arguments(scenario, frame_ms, blood, max_seconds, red_general, blue_general)
    arguments += ["--seed", str(_integer("seed", seed, 0, _LARGEST_SEED)),
                  "--battles", str(_integer("battles", battles, 1, _MOST_BATTLES))]
    return [line for line in _lab(arguments, generals) if not line.get("summary")]


def load(file, battles=1, max_seconds=None):
    """Plays on the battle saved in file (by battlesim-headless --save or the window's k), with the seed, frame length and blood it was saved with: a list of dicts
    as run returns, the lines of battlesim-headless --load FILE --json. A file that holds no intact
    battle raises ValueError with the reason."""
    arguments = ["--load", _file("file", file), "--battles", str(_integer("battles", battles, 1, _MOST_BATTLES))]
    return [line for line in _lab(arguments + _time_limit(max_seconds)) if not line.get("summary")]


def _copyable(generals):
    """Each seed of a study is led by a copy of its own of a Python General: one that cannot be
    copied is named before any battle runs."""
    for side, general in zip(("red_general", "blue_general"), generals):
        if general is None:
            continue
        try:
            copy.deepcopy(general)
        except Exception as error:
            raise TypeError(f"{side} must be copyable with copy.deepcopy, since each seed of a study is led by a "
                            f"copy of its own: {type(error).__name__}: {error}") from error


def _study_rows(blocks, jobs, battles, arguments, generals):
    rows = []
    for first, last in blocks:
        block = arguments + ["--seeds", f"{first}-{last}", "--jobs", str(jobs), "--battles", str(battles)]
        rows += [line for line in _lab(block, generals, copy_per_seed=True) if not line.get("summary")]
    return rows


def study(seeds=range(1, 101), jobs=2, battles=1, scenario=None, red_general=None, blue_general=None, frame_ms=16,
          blood=True, max_seconds=None, client=None):
    """Every seed from a fresh start, its battles on a battlefield of its own: a pandas DataFrame,
    one row per battle in seed order, a seed column and the battle line's fields (the rows of
    battlesim-headless --seeds A-B --json). jobs seeds run at once, on threads; with a Dask
    distributed client the seeds are spread over its workers instead. A Python General leads each
    seed as a copy of its own (copy.deepcopy of the one given, which itself leads none), so the rows
    are the same whatever jobs or the client."""
    blocks = _seed_blocks(seeds)
    jobs = _integer("jobs", jobs, 1, _MOST_JOBS)
    battles = _integer("battles", battles, 1, _MOST_BATTLES)
    arguments, generals = _battle_arguments(scenario, frame_ms, blood, max_seconds, red_general, blue_general)
    _copyable(generals)
    if client is None:
        rows = _study_rows(blocks, jobs, battles, arguments, generals)
    else:
        from battlesim._distributed import study_rows

        rows = study_rows(client, blocks, battles, arguments, generals)
    return _data_frame(rows, ["seed"])


def _farm_frame(rows):
    """One column per factor key, after the point, the replicate and the seed."""
    keys = []
    flat = []
    for row in rows:
        factors = row.pop("factors", {})
        keys += [key for key in factors if key not in keys]
        flat.append({"point": row.pop("point"), "replicate": row.pop("replicate"), "seed": row.pop("seed"),
                     **factors, **row})
    flat.sort(key=lambda row: (row["point"], row["replicate"]))
    return _data_frame(flat, ["point", "replicate", "seed"] + keys)


def farm(design, jobs=2, client=None, frame_ms=16, blood=True, max_seconds=None):
    """A designed study (a design file: its base scenario, factors, points and replicates): a pandas
    DataFrame, one row per battle in point and replicate order, with the columns point, replicate
    and seed, one column per factor key holding its value at that point, then the battle line's
    fields (the rows of battlesim-headless --design FILE --json). jobs battles run at once, on
    threads; with a Dask distributed client they are spread over its workers instead."""
    path = _file("design", design)
    jobs = _integer("jobs", jobs, 1, _MOST_JOBS)
    arguments, _ = _battle_arguments(None, frame_ms, blood, max_seconds, None, None)
    arguments += ["--design", path]
    if client is None:
        rows = [line for line in _lab(arguments + ["--jobs", str(jobs)]) if not line.get("summary")]
    else:
        from battlesim._distributed import farm_rows

        rows = farm_rows(client, arguments)
    return _farm_frame(rows)


def tournament(strategies, seeds=range(1, 11), jobs=2, scenario=None, frame_ms=16, blood=True, max_seconds=None,
               until_decided=False):
    """Every pair of the Lua strategy files plays two games on each seed, each leading red once:
    (games, standings), two pandas DataFrames with the figures of battlesim-headless
    --tournament."""
    if isinstance(strategies, (str, bytes, os.PathLike)) or not hasattr(strategies, "__iter__"):
        raise TypeError(f"strategies must be a list of Lua files, not {type(strategies).__name__}")
    files = [_file(f"strategies[{index}]", strategy) for index, strategy in enumerate(strategies)]
    if len(files) < 2:
        raise ValueError("strategies must name at least two Lua files")
    if not isinstance(until_decided, bool):
        raise TypeError(f"until_decided must be True or False, not {type(until_decided).__name__}")
    blocks = _seed_blocks(seeds)
    if len(blocks) > 1:
        raise ValueError("a tournament's seeds must be consecutive (a range)")
    arguments, _ = _battle_arguments(scenario, frame_ms, blood, max_seconds, None, None)
    arguments += ["--seeds", f"{blocks[0][0]}-{blocks[0][1]}", "--jobs", str(_integer("jobs", jobs, 1, _MOST_JOBS)),
                  "--tournament"] + files
    if until_decided:
        arguments.append("--until-decided")
    lines = _lab(arguments)
    games = [line for line in lines if "game" in line]
    standings = [line for line in lines if "rank" in line]
    return _data_frame(games, ["seed", "game"]), _data_frame(standings, ["rank", "strategy"])


def timeline(seed=1, battles=1, scenario=None, red_general=None, blue_general=None, frame_ms=16, blood=True,
             max_seconds=None):
    """Units alive on each side and duels under way, per battle and simulated second (the rows of
    battlesim-headless --timeline): a pandas DataFrame."""
    import pandas

    arguments, generals = _battle_arguments(scenario, frame_ms, blood, max_seconds, red_general, blue_general)
    arguments += ["--seed", str(_integer("seed", seed, 0, _LARGEST_SEED)),
                  "--battles", str(_integer("battles", battles, 1, _MOST_BATTLES))]
    with tempfile.TemporaryDirectory(prefix="battlesim-") as folder:
        path = os.path.join(folder, "timeline.csv")
        _lab(arguments + ["--timeline", path], generals)
        return pandas.read_csv(path)


def analyse(frame, factors=None, plots=None):
    """Which factors decide the battles of a design's frame: the win rate and casualties at each
    point, each factor's main effect, a logistic model and a decision tree judged on held-out
    points, the factors ranked (see battlesim.analysis.analyse). Print the result for a report."""
    from battlesim.analysis import analyse as analyse_frame

    return analyse_frame(frame, factors, plots)


# Last: the environments build on the functions above.
from battlesim.env import BattleEnv, ParallelBattleEnv, VectorBattleEnv  # noqa: E402
