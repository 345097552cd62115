function on_squad_ready(battle, squad)
  xpcall(error, function(m) while true do end end)
  return nil
end
