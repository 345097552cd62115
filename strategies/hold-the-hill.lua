-- Idea: the archers take the highest ground on our own half and the other squads guard them from
-- in front; when the enemy comes near the hill, or after 90 seconds, every squad attacks.
-- (The API is described at the top of builtin.lua.)

local ATTACK_AFTER = 90
local ALARM_DISTANCE = 60
local GUARD_SPACING = 12

-- Found at the first order: every battle starts from a fresh copy of this script.
local hill

local function clamp(value, low, high)
  return math.max(low, math.min(high, value))
end

local function distance(a, x, z)
  local dx, dz = a.x - x, a.z - z
  return math.sqrt(dx * dx + dz * dz)
end

local function highest_ground(battle, sign)
  local t = battle.terrain
  local best = {x = 0, z = 15 * sign, height = -math.huge}
  local reach = sign > 0 and t.max_z or -t.min_z
  for x = t.min_x + 8, t.max_x - 8, 8 do
    for depth = 8, reach - 8, 8 do
      local height = battle.height(x, depth * sign)
      if height and height > best.height then
        best = {x = x, z = depth * sign, height = height}
      end
    end
  end
  return best
end

local function enemy_near(battle, x, z)
  for _, enemy in ipairs(battle.enemies()) do
    if distance(enemy, x, z) < ALARM_DISTANCE then return true end
  end
  return false
end

local function guard_post(battle, squad, sign)
  local index = 0
  for i, own in ipairs(battle.squads()) do
    if own.name == squad.name then index = i end
  end
  local t = battle.terrain
  local x = clamp(hill.x + ((index % 3) - 1) * GUARD_SPACING, t.min_x + 2, t.max_x - 2)
  local z = clamp(hill.z - sign * GUARD_SPACING, t.min_z + 2, t.max_z - 2)
  return {x = x, z = z}
end

function on_squad_ready(battle, squad)
  local sign = battle.side == "red" and 1 or -1
  hill = hill or highest_ground(battle, sign)
  local attacking = battle.time > ATTACK_AFTER or enemy_near(battle, hill.x, hill.z)
  if attacking and squad.target then
    return {x = squad.target.x, z = squad.target.z, formation = "block"}
  end
  local post = squad.type == "archer" and hill or guard_post(battle, squad, sign)
  if distance(squad, post.x, post.z) < 4 then
    return nil
  end
  return {x = post.x, z = post.z, formation = "block"}
end
