function on_squad_ready(battle, squad)
  local s = 0
  for _, e in ipairs(battle.enemies()) do s = s + e.x + e.z + e.followers end
  for _, o in ipairs(battle.squads()) do s = s + (o.target and o.target.x or 0) end
  local h = battle.height(squad.x, squad.z) or 0
  local t = battle.terrain
  return {x = math.max(t.min_x, math.min(t.max_x, squad.x + s % 7)), z = h, formation = "vee"}
end
function general_fights(battle)
  return battle.enemy_general and battle.enemy_general.squads == 0 or false
end
