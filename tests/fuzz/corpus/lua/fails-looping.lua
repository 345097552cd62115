function on_squad_ready(battle, squad)
  while true do pcall(function() while true do end end) end
end
