-- MODE=distinct: a name never asked before on every request (each paints);
-- MODE=repeated: eight names in turn (painted once, then from memory).
local mode = os.getenv("MODE") or "distinct"
local names = {"ana novak", "bor zupan", "eva zupancic", "miha kos", "ana kastelic", "bor", "eva", "miha"}
local threads = 0
local n = 0

function setup(thread)
  thread:set("id", threads)
  threads = threads + 1
end

local function letters(k)
  local s = ""
  repeat
    s = string.char(97 + k % 26) .. s
    k = math.floor(k / 26)
  until k == 0
  return s
end

request = function()
  n = n + 1
  local name
  if mode == "repeated" then
    name = names[n % #names + 1]:gsub(" ", "%%20")
  else
    name = "load%20" .. letters(id or 0) .. "%20" .. letters(n)
  end
  return wrk.format("GET", "/picture?format=png&name=" .. name)
end
