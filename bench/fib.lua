-- Naive doubly recursive fibonacci of 27; exits with the result's low 8 bits.
local function fib(n)
  if n < 2 then return n end
  return fib(n - 1) + fib(n - 2)
end

os.exit(fib(27) % 256)
