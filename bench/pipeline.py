# A lazy pipeline: the numbers below one million (a generator), the odd ones, their squares, summed
# as they are produced; exits with the sum mod 256.
def numbers(low, high):
    while low < high:
        yield low
        low += 1


odd = (n for n in numbers(0, 1000000) if n % 2 == 1)
squares = (n * n for n in odd)
raise SystemExit(sum(squares) % 256)
