-- The factorial of 5000 by repeated multiplication; exits with its decimal digit count mod 256.
-- Lua has no unbounded integers: the number is an array of base 10^7 limbs, lowest first, and
-- each step multiplies it by a small integer, as CPython's and vorn's integers do internally.
local BASE, BASE_DIGITS = 10000000, 7

local function multiplySmall(limbs, factor)
  local carry = 0
  for i = 1, #limbs do
    local t = limbs[i] * factor + carry
    limbs[i] = t % BASE
    carry = t // BASE
  end
  while carry > 0 do
    limbs[#limbs + 1] = carry % BASE
    carry = carry // BASE
  end
end

local function digitCount(limbs)
  return (#limbs - 1) * BASE_DIGITS + #tostring(limbs[#limbs])
end

local acc = { 1 }
local n = 5000
while n >= 2 do
  multiplySmall(acc, n)
  n = n - 1
end
os.exit(digitCount(acc) % 256)
