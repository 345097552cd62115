function on_squad_ready(battle, squad)
  local answers = {nil, 1, "x", {x = 0/0, z = 1}, {x = 1e9, z = 0}, {x = 1, z = 2, formation = "ring"}, {z = 1}}
  return answers[math.random(#answers)]
end
function general_fights(battle) return battle.rand() % 2 == 0 end
