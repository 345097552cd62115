-- Idea: stand where the army was raised and let the enemy come; as soon as an enemy squad is
-- within 60 units of one of ours (or after 120 seconds) every squad attacks the nearest enemy.
-- (The API is described at the top of builtin.lua.)

local PATIENCE = 120
local ALARM_DISTANCE = 60
local SHAPES = {"block", "wedge", "vee"}

local function distance(a, b)
  local dx, dz = a.x - b.x, a.z - b.z
  return math.sqrt(dx * dx + dz * dz)
end

local function alarmed(battle, enemies)
  if battle.time > PATIENCE then return true end
  for _, own in ipairs(battle.squads()) do
    for _, enemy in ipairs(enemies) do
      if distance(own, enemy) < ALARM_DISTANCE then return true end
    end
  end
  return false
end

local function nearest(squad, enemies)
  local best, best_distance = nil, math.huge
  for _, enemy in ipairs(enemies) do
    local d = distance(squad, enemy)
    if d < best_distance then best, best_distance = enemy, d end
  end
  return best
end

function on_squad_ready(battle, squad)
  local enemies = battle.enemies()
  if not alarmed(battle, enemies) then
    return nil
  end
  -- The shape is a surprise for the enemy, drawn from the battle's own generator.
  local shape = SHAPES[math.random(#SHAPES)]
  local enemy = nearest(squad, enemies) or squad.target
  if enemy == nil then
    return nil
  end
  return {x = enemy.x, z = enemy.z, formation = shape}
end
