=== atoi reads a blob's digits, but a text Atom shows its bracket first
--- program
main,main\args\atoi(init [42])+atoi([42])
--- status
42
=== strtoul parses as a 32-bit long: saturation, and -1 shown unsigned
--- program
main,main\args\(strtoul (init [4294967295]) 0 10=2147483647) ((strtoul (init [-1]) 0 10=18446744073709551615) 1 2) 3
--- status
1
=== acos of an integer gives Z
--- program
main,main\args\acos 1
--- status
128
--- stderr
<ESC>[mError.
 Type: Range
 Name: Z
The program must return an integer. Instead we encountered:
Z
\/
=== character classes take ints
--- program
main,main\args\(isascii 128) 1 ((isascii 127) (toascii 200) 3)
--- status
72
=== srand makes rand repeat, and rand stays within rand_max
--- program
main,main\args\draws{seq (srand 5) (rand+rand*32768+rand*1073741824)}(seq (srand 5) (rand+rand*32768+rand*1073741824)=draws) ((rand<(rand_max+1)) 1 2) 3,seq\p\q\q
--- status
1
