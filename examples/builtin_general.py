"""The built-in General in Python: for the same seed it fights the same battles as the General
that needs no script, to the last kill. Copy it to start a General of your own.

    import battlesim
    from builtin_general import BuiltinGeneral
    battlesim.run(seed=1, red_general=BuiltinGeneral(), blue_general=BuiltinGeneral())

The General calls on_squad_ready(battle, squad) when a squad has formed up and reports ready, and
general_fights(battle), when the General has it, on every step; the arguments and the answers are
those strategies/builtin.lua describes, with attributes (battle.terrain.width, squad.target.x) in
place of Lua's tables and None in place of nil. An exception, or an answer that makes no sense,
makes the side forfeit the battle with the exception's last line as the reason.
"""

# Archer squads halt this far from the middle line on their own side.
ARCHER_LINE = 15


class BuiltinGeneral:
    def on_squad_ready(self, battle, squad):
        if squad.target is not None:
            return {"x": squad.target.x, "z": squad.target.z}
        sign = 1 if battle.side == "red" else -1
        if squad.followers > 0 and squad.type == "archer":
            z = ARCHER_LINE * sign
        else:
            z = sign * (battle.rand() % 10)
        # Sideways within the middle half of the terrain.
        half = battle.terrain.width // 2
        draw = battle.rand()
        x = draw % half - half // 2 if half > 0 else 0
        return {"x": x, "z": z}

    def general_fights(self, battle):
        enemy = battle.enemy_general
        return battle.general.squads == 0 and enemy is not None and enemy.squads == 0
