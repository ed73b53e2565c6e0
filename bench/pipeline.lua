-- A lazy pipeline of iterator closures: the numbers below one million, the odd ones, their
-- squares, summed as they are produced; exits with the sum mod 256.
local function range(low, high)
  return function()
    if low < high then
      local value = low
      low = low + 1
      return value
    end
  end
end

local function filter(keep, nextValue)
  return function()
    for value in nextValue do
      if keep(value) then return value end
    end
  end
end

local function map(f, nextValue)
  return function()
    local value = nextValue()
    if value ~= nil then return f(value) end
  end
end

local function odd(n) return n % 2 == 1 end
local function square(n) return n * n end

local total = 0
for value in map(square, filter(odd, range(0, 1000000))) do
  total = total + value
end
os.exit(total % 256)
