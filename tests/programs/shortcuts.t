=== a program that redefines T keeps its own T in every continuation frame
--- program
main,
main\args\(dash 7 2)+(3*4),
T\a\b\a
--- status
4
=== a T of the Prelude's shape under other letter names rewrites as the Prelude's
--- program
main,
main\args\(dash 7 2)+(3*4),
T\b\a\a b
--- status
17
=== a lazily written list forced through 30000 nested continuation frames, then summed
--- program
main,
main\args\sum(range 0 30000,0)%256,
range\low\high\(low<high) (J low (range (low+1) high)) K,
sum\list\acc\list acc (head\tail\sum tail (acc+head))
--- status
232
=== a text grown by 10000 joins; a text that is still held elsewhere keeps its bytes
--- program
main,
main\args\rank(grow [] 5000) - 5000 + (both [xyz]),
grow\text\n\(n=0) text (grow (text+[x]+n) (n-1)),
both\t\(rank (t+[ab])) + (rank t)
--- status
213
