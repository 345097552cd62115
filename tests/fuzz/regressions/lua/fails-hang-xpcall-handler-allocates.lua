function on_squad_ready(battle, squad)
  xpcall(error, function(m) local t = {} while true do t[#t + 1] = {m} end end)
  return nil
end
