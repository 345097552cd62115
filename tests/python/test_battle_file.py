# Battles saved whole and played on from Python: the program's own lines, and a restored
# environment that plays on as the one that was saved.
import subprocess

import pytest

import battlesim
from conftest import ROOT, headless_path


def saved_battle(tmp_path, seed, seconds):
    """A battle file of seed stopped at seconds, as the program writes it."""
    path = tmp_path / f"seed-{seed}.battle"
    subprocess.run([headless_path(), "--seed", str(seed), "--max-seconds", str(seconds), "--save", str(path)],
                   cwd=ROOT, capture_output=True, check=False)
    assert path.exists()
    return path


def test_load_gives_the_programs_lines_played_on(tmp_path, headless):
    path = saved_battle(tmp_path, 5, 20)
    expected = [line for line in headless("--load", path, "--battles", 2) if not line.get("summary")]
    assert battlesim.load(path, battles=2) == expected


def test_a_damaged_battle_file_is_refused_with_the_reason(tmp_path):
    path = saved_battle(tmp_path, 5, 5)
    data = bytearray(path.read_bytes())
    data[len(data) // 2] ^= 0xFF
    path.write_bytes(bytes(data))
    with pytest.raises(ValueError, match="checksum"):
        battlesim.load(path)
    path.write_bytes(bytes(data[:100]))
    with pytest.raises(ValueError, match="cut short"):
        battlesim.load(path)
    with pytest.raises(FileNotFoundError):
        battlesim.load(tmp_path / "none.battle")
