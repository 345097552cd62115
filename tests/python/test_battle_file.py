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


def play(env, moves):
    """(fingerprint, frames) after each of moves decisions, the orders fixed by the decision's number."""
    seen = []
    for move in range(moves):
        action = None if move % 3 == 0 else {"x": 8.0 * (move % 4) - 12.0, "z": 4.0 * (move % 5), "formation": move % 4}
        _, _, terminated, truncated, info = env.step(action)
        seen.append((info["fingerprint"], info["frames"]))
        if terminated or truncated:
            break
    return seen


def test_a_restored_environment_plays_on_as_the_saved_one():
    env = battlesim.BattleEnv()
    env.reset(seed=3)
    before = play(env, 4)
    # Saved at a decision that others of its own step came before: a restore gives their answers again.
    assert before[-1][1] == before[-3][1]
    state = env.save_state()
    at_save = env.fingerprint()
    after_save = play(env, 12)
    env.reset(state=state)
    assert env.fingerprint() == at_save
    assert play(env, 12) == after_save
    env.close()


def test_a_battle_against_a_script_cannot_be_saved_or_restored():
    plain = battlesim.BattleEnv()
    plain.reset(seed=3)
    saved = plain.save_state()
    plain.close()
    env = battlesim.BattleEnv(opponent=str(ROOT / "strategies" / "builtin.lua"))
    env.reset(seed=3)
    with pytest.raises(ValueError, match="cannot be saved"):
        env.save_state()
    with pytest.raises(ValueError, match="cannot be restored"):
        env.reset(state=saved)
    env.close()
    plain = battlesim.BattleEnv()
    with pytest.raises(ValueError, match="not a battle file"):
        plain.reset(state=b"BSIMBAT")
    plain.close()
