raise SystemExit(0)
