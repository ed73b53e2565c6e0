-- A text of 100,000 elements built by repeated joining, then measured.
local text = ""
for _ = 1, 100000 do
  text = text .. "x"
end
os.exit(#text % 256)
