function on_squad_ready(battle, squad)
  local n = 0
  for i = 1, 1e9 do n = n + #string.rep("", 1e15) end
end
