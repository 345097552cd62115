-- The sandbox's own table library and string.rep, as a script uses them.
local t = {5,3,9,1,1,7}
table.sort(t) assert(table.concat(t, ",") == "1,1,3,5,7,9")
table.sort(t, function(a,b) return a > b end) assert(table.concat(t, ",") == "9,7,5,3,1,1")
table.insert(t, 1, 0) table.insert(t, 10) assert(table.concat(t, ",") == "0,9,7,5,3,1,1,10")
assert(table.remove(t) == 10 and table.remove(t, 1) == 0 and #t == 6)
assert(select("#", table.unpack({1,2,3})) == 3)
assert(string.rep("", 1e18) == "" and string.rep("ab", 2, "-") == "ab-ab")
local m = table.move({1,2,3}, 1, 3, 2) assert(table.concat(m, ",") == "1,1,2,3")
local e = {} assert(table.remove(e) == nil)
return "ok"
