local saved
function on_squad_ready(battle, squad)
  if saved then return {x = saved.rand(), z = 0} end
  saved = battle
  setmetatable(_G, {__index = function() error({}) end})
  return load("return {x = 1, z = 2}")()
end
