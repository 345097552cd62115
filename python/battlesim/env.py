"""Battles played one decision at a time, for Generals that learn: BattleEnv in the Gymnasium shape,
ParallelBattleEnv in the PettingZoo parallel shape, and VectorBattleEnv for many battles at once.

A step is one decision: the battle plays on until a squad of the side you lead reports ready (or
the battle ends) and shows you that moment; your action is that squad's order: None to hold, or a
dict {"x": X, "z": Z} with an optional "formation" ("block", "wedge", "vee", or 0 to 3, 0 keeping the
squad's shape). Gymnasium
and PettingZoo are not needed; when Gymnasium is installed the environments are its Env and use its
spaces.
"""

import atexit
import copy
import math
import numbers
import os
import weakref

import numpy

import battlesim
from battlesim import _battlesim

try:
    import gymnasium

    _EnvBase = gymnasium.Env
    from gymnasium.spaces import Box, Dict, Discrete
except ImportError:  # the same shapes without Gymnasium
    gymnasium = None
    _EnvBase = object

    class Box:
        """Values of one shape and type between low and high."""

        def __init__(self, low, high, shape, dtype):
            self.low, self.high, self.shape, self.dtype = low, high, tuple(shape), numpy.dtype(dtype)

        def contains(self, value):
            value = numpy.asarray(value)
            return value.shape == self.shape and bool(numpy.all((value >= self.low) & (value <= self.high)))

        def sample(self):
            low = max(self.low, -1e3)
            high = min(self.high, 1e3)
            return numpy.random.uniform(low, high, self.shape).astype(self.dtype)

    class Discrete:
        def __init__(self, n):
            self.n = n

        def contains(self, value):
            return isinstance(value, numbers.Integral) and 0 <= value < self.n

        def sample(self):
            return int(numpy.random.randint(self.n))

    class Dict:
        def __init__(self, spaces):
            self.spaces = dict(spaces)

        def __getitem__(self, key):
            return self.spaces[key]

        def contains(self, value):
            return isinstance(value, dict) and value.keys() == self.spaces.keys() and all(
                space.contains(value[key]) for key, space in self.spaces.items())

        def sample(self):
            return {key: space.sample() for key, space in self.spaces.items()}


RUNNING, DECIDING, WON, LOST, OUT_OF_TIME = range(5)
SIDES = ("red", "blue")


def _number(value, name):
    if isinstance(value, numpy.ndarray) and value.size == 1:
        value = value.reshape(()).item()
    if isinstance(value, bool) or not isinstance(value, numbers.Real):
        raise TypeError(f"action[{name!r}] must be a number, not {type(value).__name__}")
    value = float(value)
    if not math.isfinite(value):
        raise ValueError(f"action[{name!r}] must be finite, not {value}")
    return value


def _formation(value):
    if value is None:
        return 0
    if isinstance(value, numpy.ndarray) and value.size == 1:
        value = value.reshape(()).item()
    if isinstance(value, str):
        if value not in _battlesim.FORMATIONS:
            raise ValueError(f"action['formation'] must be 'block', 'wedge' or 'vee', not {value!r}")
        return _battlesim.FORMATIONS[value]
    if isinstance(value, bool) or not isinstance(value, numbers.Integral) or not 0 <= value <= 3:
        raise ValueError(f"action['formation'] must be a name or 0 to 3 (0 keeps the shape), not {value!r}")
    return int(value)


def _order(action, session):
    """The squad's order as the battle takes it: None, or (x, z, formation)."""
    if action is None:
        return None
    if not isinstance(action, dict):
        raise TypeError(f"action must be None or a dict {{'x': ..., 'z': ...}}, not {type(action).__name__}")
    for key in ("x", "z"):
        if key not in action:
            raise ValueError(f"action has no {key!r}")
    unknown = sorted(str(key) for key in action if key not in ("x", "z", "formation"))
    if unknown:
        raise ValueError(f"action has an unknown key {unknown[0]!r} (an action holds x, z and formation)")
    x, z = _number(action["x"], "x"), _number(action["z"], "z")
    if not session.on_terrain(x, z):
        raise ValueError(f"action: the goal ({x:.1f}, {z:.1f}) is off the terrain")
    return x, z, _formation(action.get("formation"))


def _battle_arguments(scenario, frame_ms, max_seconds, opponents):
    """The command line's battle options, and the Python opponents by side."""
    red, blue = opponents
    return battlesim._battle_arguments(scenario, frame_ms, True, max_seconds, red, blue)


def _state_bytes(state):
    """A saved battle's bytes: given, or read from the file named."""
    if state is None or isinstance(state, bytes):
        return state
    if isinstance(state, (str, os.PathLike)):
        with open(battlesim._file("state", state), "rb") as file:
            return file.read()
    raise TypeError(f"state must be the bytes of save_state() or a file holding them, not {type(state).__name__}")


def _spaces(capacity, bounds):
    observation = Dict({
        "position": Box(-numpy.inf, numpy.inf, (capacity, 2), numpy.float32),
        "team": Box(0, 1, (capacity,), numpy.int8),
        "type": Box(0, 4, (capacity,), numpy.int8),
        "squad": Box(-1, capacity - 1, (capacity,), numpy.int32),
        "in_combat": Box(0, 1, (capacity,), numpy.int8),
        "alive": Box(0, 1, (capacity,), numpy.int8),
        "asking": Box(-1, capacity - 1, (), numpy.int32),
    })
    min_x, max_x, min_z, max_z = bounds if bounds is not None else (-1e3, 1e3, -1e3, 1e3)
    action = Dict({
        "x": Box(min_x, max_x, (), numpy.float32),
        "z": Box(min_z, max_z, (), numpy.float32),
        "formation": Discrete(4),
    })
    return observation, action


# Battles still open when Python exits are closed while their threads may still take Python's lock
# to ask a Python opponent; during the interpreter's own teardown such a thread would be ended
# mid-call, and the process aborted.
_open_battles = weakref.WeakSet()


@atexit.register
def _close_open_battles():
    for battles in list(_open_battles):
        battles.close()


class _Battles:
    """One battle at a time, for the sides the caller leads."""

    def __init__(self, scenario, led, opponents, frame_ms, max_seconds):
        _open_battles.add(self)
        self._arguments, python_opponents = _battle_arguments(scenario, frame_ms, max_seconds, opponents)
        self._led = led
        self._opponents = python_opponents
        self._seed = 0
        self._session = None
        self._phase = RUNNING
        bounds = _battlesim.terrain_bounds(self._arguments + ["--seed", "1"])
        probe = self._open(1)
        capacity = probe.observation()["alive"].shape[0]
        probe.close()
        self.observation_space, self.action_space = _spaces(capacity, bounds)

    def _open(self, seed):
        team = 0 if self._led[0] else 1
        return _battlesim.Session(self._arguments + ["--seed", str(seed)], self._led[0], self._led[1], team,
                                  self._opponents[0], self._opponents[1])

    def start(self, seed, state=None):
        if seed is None:
            seed = self._seed + 1
        self._seed = battlesim._integer("seed", seed, 0, battlesim._LARGEST_SEED)
        state = _state_bytes(state)
        self.close()
        self._session = self._open(self._seed)
        if state is not None:
            try:
                self._session.restore(state)
            except ValueError:
                self.close()
                raise
        return self

    def save(self):
        if self._phase != DECIDING:
            raise RuntimeError("the battle can be saved only while it waits for an order: reset() or step() first")
        return self.live("save_state()").save()

    def live(self, what):
        """The open battle's session; a clear error instead when no battle is open."""
        if self._session is None:
            raise RuntimeError(f"no battle is open: reset() the environment before {what}")
        return self._session

    def answer(self, action):
        session = self.live("step()")
        if self._phase != DECIDING:
            raise RuntimeError("the battle has ended: reset() the environment for the next")
        session.answer(_order(action, session))

    def wait(self):
        self._phase = self.live("step()").wait()
        return self._phase

    def observation(self):
        return self.live("reading the observation").observation()

    def info(self, what="step()"):
        return self.live(what).tallies()

    def close(self):
        if self._session is not None:
            self._session.close()
            self._session = None


class BattleEnv(_EnvBase):
    """One side of a battle in the Gymnasium shape. opponent: None (the built-in General), a Lua
    strategy file or a Python General. The reward is +1 for a win and -1 for a loss at the end, 0
    before; info holds the tallies to shape one of your own from."""

    metadata = {"render_modes": []}
    render_mode = None

    def __init__(self, scenario=None, side="red", opponent=None, frame_ms=16, max_seconds=None):
        if side not in SIDES:
            raise ValueError(f"side must be 'red' or 'blue', not {side!r}")
        battlesim._general("opponent", opponent)
        self.side = side
        red = side == "red"
        opponents = (None, opponent) if red else (opponent, None)
        self._battles = _Battles(scenario, (red, not red), opponents, frame_ms, max_seconds)
        self.observation_space = self._battles.observation_space
        self.action_space = self._battles.action_space

    def reset(self, *, seed=None, options=None, state=None):
        """A new battle of seed; with state (the bytes of save_state(), or a file holding them), the
        saved battle instead, at the decision it was saved at."""
        if gymnasium is not None:
            super().reset(seed=seed)
        self._battles.start(seed, state)
        self._battles.wait()
        return self._battles.observation(), self._battles.info()

    def save_state(self):
        """The battle at the decision it waits for, as bytes for reset(state=...). A battle whose
        opponent is a Lua or Python General cannot be saved (ValueError): its own state would be
        lost."""
        return self._battles.save()

    def step(self, action):
        self._battles.answer(action)
        phase = self._battles.wait()
        reward = 1.0 if phase == WON else -1.0 if phase == LOST else 0.0
        return self._battles.observation(), reward, phase in (WON, LOST), phase == OUT_OF_TIME, self._battles.info()

    def fingerprint(self):
        """The battle's fingerprint as it stands (at its end, the ended battle's)."""
        return self._battles.info("fingerprint()")["fingerprint"]

    def close(self):
        self._battles.close()


class ParallelBattleEnv:
    """Both sides of a battle as two agents, "red" and "blue", in the PettingZoo parallel shape.
    At each step one squad waits for its order: its side's agent has observation["asking"] at
    its slot and that agent's action is taken; the other agent's is ignored."""

    metadata = {"name": "battlesim_v0", "render_modes": []}
    render_mode = None
    possible_agents = list(SIDES)

    def __init__(self, scenario=None, frame_ms=16, max_seconds=None):
        self._battles = _Battles(scenario, (True, True), (None, None), frame_ms, max_seconds)
        self.agents = []
        self._spaces = (self._battles.observation_space, self._battles.action_space)

    def observation_space(self, agent):
        return self._spaces[0]

    def action_space(self, agent):
        return self._spaces[1]

    def _observations(self):
        seen = self._battles.observation()
        asking_team = self._battles.info()["asking_team"]
        observations = {}
        for team, agent in enumerate(SIDES):
            own = dict(seen)
            if asking_team != team:
                own["asking"] = numpy.array(-1, dtype=numpy.int32)
            observations[agent] = own
        return observations

    def reset(self, seed=None, options=None):
        self._battles.start(seed)
        self._battles.wait()
        self.agents = list(SIDES)
        info = self._battles.info()
        return self._observations(), {agent: dict(info) for agent in self.agents}

    def step(self, actions):
        if not isinstance(actions, dict):
            raise TypeError(f"actions must be a dict by agent, not {type(actions).__name__}")
        asking_team = self._battles.info()["asking_team"]
        asking = SIDES[asking_team] if asking_team in (0, 1) else None
        self._battles.answer(actions.get(asking))
        phase = self._battles.wait()
        info = self._battles.info()
        ended = phase in (WON, LOST)
        red_reward = 1.0 if phase == WON else -1.0 if phase == LOST else 0.0
        # 0.0 - 0.0 is 0.0, where -0.0 would print as a loss's sign for a draw.
        rewards = {"red": red_reward, "blue": 0.0 - red_reward}
        terminations = {agent: ended for agent in self.agents}
        truncations = {agent: phase == OUT_OF_TIME for agent in self.agents}
        observations = self._observations()
        infos = {agent: dict(info) for agent in self.agents}
        if ended or phase == OUT_OF_TIME:
            self.agents = []
        return observations, rewards, terminations, truncations, infos

    def fingerprint(self):
        return self._battles.info("fingerprint()")["fingerprint"]

    def close(self):
        self._battles.close()


def _own(opponent):
    """A Python opponent of a battle of its own: battles on threads never share one General."""
    if opponent is None or isinstance(opponent, (str, os.PathLike)):
        return opponent
    return copy.deepcopy(opponent)


class VectorBattleEnv:
    """n BattleEnvs stepped together, each battle on a thread of its own: reset and step take and
    give stacked arrays (an observation dict of arrays with a first axis of n). Battle i plays seeds
    seed + i, seed + i + n, ...: one that ends starts its next at once; its last observation is in info["final_observation"].
    A Python opponent leads each battle as a copy of its own (copy.deepcopy), which leads all of
    that battle's seeds in turn."""

    def __init__(self, n, scenario=None, side="red", opponent=None, frame_ms=16, max_seconds=None):
        n = battlesim._integer("n", n, 1, 1024)
        battlesim._general("opponent", opponent)
        self.envs = [BattleEnv(scenario, side, _own(opponent), frame_ms, max_seconds) for _ in range(n)]
        self.num_envs = n
        self.single_observation_space = self.envs[0].observation_space
        self.single_action_space = self.envs[0].action_space

    @staticmethod
    def _stack(observations):
        return {key: numpy.stack([seen[key] for seen in observations]) for key in observations[0]}

    def reset(self, seed=None):
        first = 1 if seed is None else battlesim._integer("seed", seed, 0, battlesim._LARGEST_SEED)
        for index, env in enumerate(self.envs):
            env._battles.start(first + index)
        observations, infos = [], []
        for env in self.envs:
            env._battles.wait()
            observations.append(env._battles.observation())
            infos.append(env._battles.info())
        return self._stack(observations), infos

    def step(self, actions):
        if len(actions) != self.num_envs:
            raise ValueError(f"actions must hold {self.num_envs} actions, not {len(actions)}")
        for env, action in zip(self.envs, actions):
            env._battles.answer(action)
        observations, rewards, terminated, truncated, infos = [], [], [], [], []
        for env in self.envs:
            phase = env._battles.wait()
            info = env._battles.info()
            seen = env._battles.observation()
            ended = phase in (WON, LOST, OUT_OF_TIME)
            if ended:
                info["final_observation"] = seen
                env._battles.start(env._battles._seed + self.num_envs)
                env._battles.wait()
                seen = env._battles.observation()
            observations.append(seen)
            rewards.append(1.0 if phase == WON else -1.0 if phase == LOST else 0.0)
            terminated.append(phase in (WON, LOST))
            truncated.append(phase == OUT_OF_TIME)
            infos.append(info)
        return (self._stack(observations), numpy.array(rewards), numpy.array(terminated), numpy.array(truncated),
                infos)

    def fingerprints(self):
        return [env.fingerprint() for env in self.envs]

    def close(self):
        for env in self.envs:
            env.close()
