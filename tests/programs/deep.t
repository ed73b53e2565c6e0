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
