=== a builtin builds a list of a million cells; analysing, printing and freeing it need no deep native stack
--- program
main,
main\argv\rank (lisp (lots (init (grow [xxxxxxxx] 14)))),
grow\text\times\(times<1) text (grow (text+text) (times-1))
--- status
244
=== a program walks a list of 131070 cells in constant native stack
--- program
main,
main\argv\count (lots (init (grow [xxxxxxxx] 11))) 0,
grow\text\times\(times<1) text (grow (text+text) (times-1)),
count\list\acc\list acc (bit\rest\count rest (acc+1))
--- status
254
=== a program builds a list of 100000 numbers strictly and sums it
--- program
main,
main\argv\sum (build 100000 K) 0,
build\n\acc\(n<1) acc (build (n-1) (J n acc)),
sum\list\acc\list acc (head\tail\sum tail (acc+head))
--- status
80
=== cmpr compares values doubled a hundred times (2^100 paths) by their shared parts, and finds the one leaf that differs
--- program
main,
main\argv\plus (cmpr (grow 1 100) (grow 1 100)) (plus (mult 2 (cmpr (grow 1 100) (odd 100))) (mult 4 (cmpr (odd 100) (grow 1 100)))),
grow\v\times\(times<1) v (grow (J v v) (times-1)),
odd\times\(times<1) 2 (J (grow 1 (times-1)) (odd (times-1)))
--- status
254
