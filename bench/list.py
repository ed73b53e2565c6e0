# A lazily produced sequence of one million numbers (a generator), summed as it is produced.
def numbers(low, high):
    while low < high:
        yield low
        low += 1


total = 0
for number in numbers(0, 1000000):
    total += number
raise SystemExit(total % 256)
