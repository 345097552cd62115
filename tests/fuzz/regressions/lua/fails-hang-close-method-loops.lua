function on_squad_ready(battle, squad)
  local guard <close> = setmetatable({}, {__close = function() while true do end end})
  error("unwind through the close method")
end
