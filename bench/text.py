# A text of 100,000 elements built by repeated joining, then measured.
text = ""
for _ in range(100000):
    text = text + "x"
raise SystemExit(len(text) % 256)
