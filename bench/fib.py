# Naive doubly recursive fibonacci of 27; exits with the result's low 8 bits.
def fib(n):
    return n if n < 2 else fib(n - 1) + fib(n - 2)


raise SystemExit(fib(27) % 256)
