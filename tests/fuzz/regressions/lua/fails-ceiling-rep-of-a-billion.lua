function on_squad_ready(battle, squad)
  return {x = 0, z = 0, formation = string.rep("wedge", 1e9)}
end
