# Counts the lines, words and bytes of the file named by the first argument, as wc does, looking at
# one byte at a time; exits with the sum of the three counts mod 256.
import sys

SPACES = frozenset(b" \t\n\v\f\r")  # isspace in the C locale

lines = words = total = 0
in_word = False
with open(sys.argv[1], "rb") as stream:
    while chunk := stream.read(65536):
        total += len(chunk)
        for byte in chunk:
            if byte in SPACES:
                if byte == 10:
                    lines += 1
                in_word = False
            elif not in_word:
                words += 1
                in_word = True
raise SystemExit((lines + words + total) % 256)
