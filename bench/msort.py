# A merge sort of 20,000 pseudo-random numbers (a linear congruential generator); exits with a
# checksum of the sorted list.


def numbers(count, seed):
    result = []
    for _ in range(count):
        result.append(seed // 65536)
        seed = (seed * 1103515245 + 12345) % 2147483648
    return result


def merge(left, right):
    merged = []
    i = j = 0
    while i < len(left) and j < len(right):
        if right[j] < left[i]:
            merged.append(right[j])
            j += 1
        else:
            merged.append(left[i])
            i += 1
    merged.extend(left[i:])
    merged.extend(right[j:])
    return merged


def msort(items):
    if len(items) < 2:
        return items
    return merge(msort(items[0::2]), msort(items[1::2]))


checksum = 0
for number in msort(numbers(20000, 42)):
    checksum = (checksum * 31 + number) % 1000003
raise SystemExit(checksum % 256)
