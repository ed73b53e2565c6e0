=== type of a real is the interned [real]
--- program
main,
main\argv\raws (type (real [3.5])) (type (real [1.0])) 1 0
--- status
1
=== type names each kind
--- program
main,
main\argv\((type 5 = [hint]) & (type [a] = [zits]) & (type (init [a]) = [post]) & (type 005 = [numb]) & (type K = [void])) 1 0
--- status
1
=== raws of equal Pairs built apart is H
--- program
main,
main\argv\raws (V 1 (plus 1 1)) (V 1 (plus 0 2)) 1 0
--- status
0
=== raws after tern is K
--- program
main,
main\argv\raws (tern (V 1 (plus 1 1))) (tern (V 1 (plus 0 2))) 1 0
--- status
1
=== tern of a closure built at run time gives the equal lambda of the program
--- program
main,
main\argv\raws (tern (mk 1)) (tern (K (x\plus x 1) (x\(plus x 1)+0))) 1 0,
mk\y\I(x\plus x y)
--- status
1
=== rank of a real is 8
--- program
main,
main\argv\rank (real [1.5])
--- status
8
=== rank of a text
--- program
main,
main\argv\rank [abc]
--- status
3
=== rank of -12 counts its sign zero
--- program
main,
main\argv\rank 012
--- status
3
=== rank of a blob
--- program
main,
main\argv\rank (init [hello])
--- status
5
=== rank of a text Pair
--- program
main,
main\argv\rank ([ab]+[cd])
--- status
4
=== rank of a Pair is Z
--- program
main,
main\argv\(lisp (rank (V 1 2)) = [Z]) 1 0
--- status
1
=== left of [abc] is [ab]
--- program
main,
main\argv\(left [abc] = [ab]) 1 0
--- status
1
=== rght of [ab[q]] is [q]
--- program
main,
main\argv\(rght [ab[q]] = [q]) 1 0
--- status
1
=== leaf of [] and [a]
--- program
main,
main\argv\(leaf [] & !(leaf [a])) 1 0
--- status
1
=== left of the empty text is Z, not a crash
--- program
main,
main\argv\(lisp (left []) = [Z]) 1 0
--- status
1
=== rght of the empty text is Z, not a crash
--- program
main,
main\argv\(lisp (rght []) = [Z]) 1 0
--- status
1
=== boxed leaf
--- program
main,
main\argv\leaf (V (X J) K) 1 0
--- status
1
=== left of a boxed leaf is Z
--- program
main,
main\argv\(lisp (left (V (X J) K)) = [Z]) 1 0
--- status
1
=== left and rght of a boxed node
--- program
main,
main\argv\(leaf (left (V (X J) (J K (J K K)))) & !(leaf (rght (V (X J) (J K (J K K)))))) 1 0
--- status
1
=== init of 321 is one byte 65
--- program
main,
main\argv\look 0 (init 321)
--- status
65
=== init of a text with an escape group
--- program
main,
main\argv\((look 1 (init [a[p]]) = 10) & (rank (init [a[p]]) = 2)) 1 0
--- status
1
=== init of [a[x]] is Z
--- program
main,
main\argv\(lisp (init [a[x]]) = [Z]) 1 0
--- status
1
=== lord of [[q]] is 91
--- program
main,
main\argv\lord [[q]]
--- status
91
=== lord of a one-byte text
--- program
main,
main\argv\lord [A]
--- status
65
=== look from the end of a blob
--- program
main,
main\argv\look 01 (init [abc])
--- status
99
=== look past a blob is Z
--- program
main,
main\argv\(lisp (look 3 (init [abc])) = [Z]) 1 0
--- status
1
=== look of a byte 255 is -1
--- program
main,
main\argv\plus 2 (look 0 (init 255))
--- status
1
=== into is strict at the end
--- program
main,
main\argv\(lisp (into 1 2 (init [abc])) = [Z]) 1 0
--- status
1
=== into takes a slice
--- program
main,
main\argv\rank (into 0 2 (init [abc]))
--- status
2
=== look 0 of the real 1.0 is H
--- program
main,
main\argv\look 0 (real [1.0]) 1 0
--- status
0
=== look 64 of a real is H
--- program
main,
main\argv\look 64 (real [1.0]) 1 0
--- status
0
=== look 65 of a real is Z
--- program
main,
main\argv\(lisp (look 65 (real [1.0])) = [Z]) 1 0
--- status
1
=== look 61 of the real 1.0 is K
--- program
main,
main\argv\look 61 (real [1.0]) 1 0
--- status
1
=== rows of 10 is [[p]]
--- program
main,
main\argv\(rows 10 = [[p]]) 1 0
--- status
1
=== rows of 65 is [A]
--- program
main,
main\argv\(rows 65 = [A]) 1 0
--- status
1
=== rows of a blob escapes brackets
--- program
main,
main\argv\(rows (init [a[q]b]) = [a[q]b]) 1 0
--- status
1
=== rows of a boxed tree
--- program
main,
main\argv\(rows (V (X J) (J K (J K K))) = [[[]]]) 1 0
--- status
1
=== cork on a held blob copies
--- program
main,
main\argv\b{init [abc]}c{cork 0 [x] b}((look 0 b = 97) & (look 0 c = 120)) 1 0
--- status
1
=== cork on a text puts a code-map name in as its byte and any other text as one group
--- program
main,
main\argv\((cork 1 (rght [x]) [abc] = [axc]) & (cork 1 [x] [abc] = [a[x]c])) 1 0
--- status
1
=== cork puts back what look takes out, so the text is the same again
--- program
main,
main\argv\t{[a[bc]d]}((cork 1 (look 1 t) t = t) & (cork 0 (look 0 t) t = t) & (cork 01 (look 01 t) t = t)) 1 0
--- status
1
=== cork sets a bit of a number
--- program
main,
main\argv\cork 2 K 4
--- status
5
=== lisp renders the source form
--- program
main,
main\argv\(lisp (plus 1) = [plus1]) 1 0
--- status
1
=== real of a text
--- program
main,
main\argv\(real([2.5]) = real([5.0])/real([2.0])) 1 0
--- status
1
=== lots of a number and back
--- program
main,
main\argv\lord (lots 6)
--- status
6
=== a text whose opening bracket the program overwrote with ( is no blob: builtins give Z, lisp shows ()
--- program
main,
main\argv\t{[ab!]}seq (setx (strchr t 91) 40) (((lisp (rank t) = [Z]) & (lisp (look 0 t) = [Z]) & (lisp (init t) = [Z]) & (lisp (t+t) = [Z]) & (lisp t = [()])) 1 0),
seq\a\b\b
--- status
1
