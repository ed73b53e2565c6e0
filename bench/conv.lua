-- 2^664000 (199,884 digits) converted to decimal text and back to binary; exits with the digit
-- count mod 256 when the round trip gives the same number.
-- Lua has no unbounded integers: the binary number is an array of 24-bit limbs, lowest first,
-- written out by repeated division by 10^7 and read back seven digits at a time, the schoolbook
-- conversions that CPython 3.11 also uses.
local BITS, LIMB = 24, 1 << 24
local CHUNK, CHUNK_DIGITS = 10000000, 7

local function trim(a)
  while #a > 1 and a[#a] == 0 do a[#a] = nil end
  return a
end

local function powerOfTwo(e)
  local a = {}
  for i = 1, e // BITS do a[i] = 0 end
  a[e // BITS + 1] = 1 << (e % BITS)
  return a
end

-- The decimal digits: each pass divides the whole number by 10^7 and yields seven digits.
local function toDecimal(a)
  local n = {}
  for i = 1, #a do n[i] = a[i] end
  local chunks = {}
  while #n > 1 or n[1] ~= 0 do
    local rest = 0
    for i = #n, 1, -1 do
      local v = rest * LIMB + n[i]
      n[i] = v // CHUNK
      rest = v % CHUNK
    end
    chunks[#chunks + 1] = rest
    trim(n)
  end
  local parts = { tostring(chunks[#chunks]) }
  for i = #chunks - 1, 1, -1 do parts[#parts + 1] = string.format("%07d", chunks[i]) end
  return table.concat(parts)
end

-- The number of a decimal text: each step multiplies by 10^7 and adds the next seven digits.
local function fromDecimal(s)
  local a = { 0 }
  local first = #s % CHUNK_DIGITS
  if first == 0 then first = CHUNK_DIGITS end
  local at = 1
  local length = first
  while at <= #s do
    local carry = math.tointeger(tonumber(s:sub(at, at + length - 1)))
    local scale = math.tointeger(10 ^ length)
    for i = 1, #a do
      local v = a[i] * scale + carry
      a[i] = v % LIMB
      carry = v // LIMB
    end
    while carry > 0 do
      a[#a + 1] = carry % LIMB
      carry = carry // LIMB
    end
    at = at + length
    length = CHUNK_DIGITS
  end
  return trim(a)
end

local x = powerOfTwo(664000)
local text = toDecimal(x)
local y = fromDecimal(text)
local same = #x == #y
for i = 1, #x do same = same and x[i] == y[i] end
os.exit(same and #text % 256 or 1)
