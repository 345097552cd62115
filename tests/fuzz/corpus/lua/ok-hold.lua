function on_squad_ready(battle, squad) return nil end
