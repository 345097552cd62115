# What the Python package's tests share: the headless program of the same build, run for the lines
# the module's results must equal.
import json
import os
import pathlib
import subprocess

import pytest

ROOT = pathlib.Path(__file__).resolve().parents[2]


def headless_path():
    given = os.environ.get("BATTLESIM_HEADLESS")
    if given:
        return given
    import battlesim

    return str(pathlib.Path(battlesim.__file__).resolve().parents[2] / "battlesim-headless")


@pytest.fixture
def headless():
    """The program's --json lines for these arguments, as dicts."""

    def run(*arguments):
        done = subprocess.run([headless_path(), *map(str, arguments), "--json"], cwd=ROOT, capture_output=True,
                              text=True, check=True)
        return [json.loads(line) for line in done.stdout.splitlines()]

    return run


@pytest.fixture(autouse=True)
def from_the_root(monkeypatch):
    """The module finds the built-in height map below the working folder, as the program does."""
    monkeypatch.chdir(ROOT)
