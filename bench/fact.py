# The factorial of 5000 by repeated multiplication; exits with its decimal digit count mod 256.
import sys

sys.set_int_max_str_digits(0)


def fact(n, acc):
    while n >= 2:
        acc *= n
        n -= 1
    return acc


raise SystemExit(len(str(fact(5000, 1))) % 256)
