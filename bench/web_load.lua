-- Pictures of a few names in turn, so each request paints (the service keeps no copies).
local names = {"ana novak", "bor zupan", "eva zupancic", "miha kos", "ana kastelic", "bor", "eva", "miha"}
local n = 0
request = function()
  n = n + 1
  local name = (names[n % #names + 1]:gsub(" ", "%%20"))
  return wrk.format("GET", "/picture?format=png&name=" .. name)
end
