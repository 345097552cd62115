function on_squad_ready(battle, squad) return nil end
function general_fights(battle)
  xpcall(error, function(m) while true do end end)
  return false
end
