local t = {}
function on_squad_ready(battle, squad)
  for i = 1, 1e9 do t[#t + 1] = string.rep("x", 4096) end
end
