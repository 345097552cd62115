-- The built-in General, spelled out: for the same seed it fights the same battles as the General
-- that needs no script, to the last kill. Copy it to start a strategy of your own.
--
-- How a strategy script leads an army
--   The General calls your functions; between calls your script does nothing. Each battle starts
--   from a fresh copy of the script, so nothing carries over from one battle to the next.
--
--   on_squad_ready(battle, squad)        required
--     Called when a squad has formed up and reports ready: at the start of a battle, and again
--     whenever its leader has picked an enemy to march on. Return
--       nil                              hold: no order; the leader looks around again a second
--                                        later (it fights enemies that come within 20 units, and
--                                        reports again when it wants to march on one)
--       {x = X, z = Z}                   march there; a point on the terrain (see battle.terrain)
--       {x = X, z = Z, formation = F}    ... and form up as F: "block", "wedge" or "vee"
--                                        (block beats wedge beats vee beats block)
--   general_fights(battle)               optional
--     Called on every step; return true to send the General into a duel with the enemy General
--     now. Without it the General fights when neither army has a squad left.
--
--   battle (a fresh table for every call; changing it changes nothing)
--     side            "red" or "blue"; red starts at positive z, blue at negative z
--     time            seconds since this battle started
--     terrain         {width, depth, min_x, max_x, min_z, max_z}; z = 0 is the middle line
--     general         your General: {name, x, z, squads (squad leaders left), in_combat}
--     enemy_general   the same for the enemy, or nil
--     squads()        your squads, a list of squad tables
--     enemies()       the enemy's squads as seen: squad tables without target
--     height(x, z)    the ground's height there, or nil off the terrain
--     rand()          the battle's own random draw, 0 to 32767 (the one the built-in General uses)
--   squad
--     {name, type ("soldier", "archer" or "berserker"), x, z, followers, in_combat,
--      target = {x, z} when its leader picked an enemy to march on, else nil}
--
--   The sandbox: the base library without files, print or the collector, and math, string (no
--   patterns) and table. math.random draws from the battle's generator, so a seed replays the
--   same battle. Each call may run 1 000 000 Lua instructions and allocate 64 MiB in all, the
--   script may hold 8 MiB, and a string may be 16 KiB long; table.unpack and table.concat take at
--   most 4096 values at once. An error, an overrun, or an answer that makes no sense (a goal off
--   the terrain, a number that is not finite, a wrong type) makes your side forfeit the battle,
--   with the reason on its line.

-- Archer squads halt this far from the middle line on their own side.
local ARCHER_LINE = 15

function on_squad_ready(battle, squad)
  if squad.target then
    return {x = squad.target.x, z = squad.target.z}
  end
  local sign = battle.side == "red" and 1 or -1
  local z
  if squad.followers > 0 and squad.type == "archer" then
    z = ARCHER_LINE * sign
  else
    z = sign * (battle.rand() % 10)
  end
  -- Sideways within the middle half of the terrain.
  local half = battle.terrain.width // 2
  local draw = battle.rand()
  local x = half > 0 and draw % half - half // 2 or 0
  return {x = x, z = z}
end

function general_fights(battle)
  local enemy = battle.enemy_general
  return battle.general.squads == 0 and enemy ~= nil and enemy.squads == 0
end
