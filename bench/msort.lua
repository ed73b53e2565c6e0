-- A merge sort of 20,000 pseudo-random numbers (a linear congruential generator); exits with a
-- checksum of the sorted list.
local function numbers(count, seed)
  local result = {}
  for i = 1, count do
    result[i] = seed // 65536
    seed = (seed * 1103515245 + 12345) % 2147483648
  end
  return result
end

local function merge(left, right)
  local merged, i, j = {}, 1, 1
  while i <= #left and j <= #right do
    if right[j] < left[i] then
      merged[#merged + 1] = right[j]
      j = j + 1
    else
      merged[#merged + 1] = left[i]
      i = i + 1
    end
  end
  for k = i, #left do merged[#merged + 1] = left[k] end
  for k = j, #right do merged[#merged + 1] = right[k] end
  return merged
end

local function msort(items)
  if #items < 2 then return items end
  local odd, even = {}, {}
  for i = 1, #items, 2 do odd[#odd + 1] = items[i] end
  for i = 2, #items, 2 do even[#even + 1] = items[i] end
  return merge(msort(odd), msort(even))
end

local checksum = 0
for _, number in ipairs(msort(numbers(20000, 42))) do
  checksum = (checksum * 31 + number) % 1000003
end
os.exit(checksum % 256)
