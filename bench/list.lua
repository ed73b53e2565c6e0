-- A lazily produced sequence of one million numbers (an iterator closure), summed as it goes.
local function numbers(low, high)
  return function()
    if low < high then
      local value = low
      low = low + 1
      return value
    end
  end
end

local total = 0
for number in numbers(0, 1000000) do
  total = total + number
end
os.exit(total % 256)
