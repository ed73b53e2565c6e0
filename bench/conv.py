# 2^664000 (199,884 digits) converted to decimal text and back to binary; exits with the digit
# count mod 256 when the round trip gives the same number.
import sys

sys.set_int_max_str_digits(0)

x = 1 << 664000
text = str(x)
raise SystemExit(len(text) % 256 if int(text) == x else 1)
