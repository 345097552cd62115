-- Idea: the whole army gathers on its left flank and, once every squad is there (or after 40
-- seconds), strikes in wedges at the enemy squads its leaders pick, one end of their line first.
-- (The API is described at the top of builtin.lua.)

local GATHER_TIMEOUT = 40
local GATHERED_WITHIN = 25

local function distance(a, x, z)
  local dx, dz = a.x - x, a.z - z
  return math.sqrt(dx * dx + dz * dz)
end

-- Red looks towards negative z, so its left hand is at negative x; blue's is at positive x.
local function flank(battle)
  local t = battle.terrain
  local sign = battle.side == "red" and 1 or -1
  local x = -sign * (t.max_x - t.min_x) * 0.3
  return {x = math.max(t.min_x + 10, math.min(t.max_x - 10, x)), z = sign * 20}
end

local function gathered(battle, point)
  for _, squad in ipairs(battle.squads()) do
    if distance(squad, point.x, point.z) > GATHERED_WITHIN then return false end
  end
  return true
end

local function place_in_mass(battle, squad, point)
  local index = 1
  for i, own in ipairs(battle.squads()) do
    if own.name == squad.name then index = i end
  end
  local sign = battle.side == "red" and 1 or -1
  return {x = point.x + ((index - 1) % 3 - 1) * 8, z = point.z + ((index - 1) // 3) * 8 * sign}
end

function on_squad_ready(battle, squad)
  local point = flank(battle)
  local ready = battle.time > GATHER_TIMEOUT or gathered(battle, point)
  if ready and squad.target then
    return {x = squad.target.x, z = squad.target.z, formation = "wedge"}
  end
  local place = place_in_mass(battle, squad, point)
  if distance(squad, place.x, place.z) < 4 then
    return nil
  end
  return {x = place.x, z = place.z, formation = "block"}
end
