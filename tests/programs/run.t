=== an entry that returns 7 exits with 7 and prints nothing
--- program
main,main\args\7
--- status
7
=== the exit status keeps the low 32 bits of the result: 2^32 + 1 exits with 1
--- program
x\4294967297
--- status
1
=== minus one exits with all bits set
--- program
x\0-1
--- status
255
=== an unbounded result is taken modulo 2^64 before its low bits: 2^64 + 300 exits with 44
--- program
x\18446744073709551616+300
--- status
44
=== the entry receives the argument vector's address as a number
--- program
x\(x>4096)42 0
--- args
one
two
--- status
42
=== a definition that needs its own value is a cycle
--- program
x\loop,loop\loop+1
--- status
128
--- stderr
<ESC>[mError.
 Type: Cycle
 Name: loop
Cycle detected on function [loop].
\/
=== a cycle found under pending work ends the whole evaluation
--- program
x\loop+0,loop\loop+1
--- status
128
--- stderr
<ESC>[mError.
 Type: Cycle
 Name: loop
Cycle detected on function [loop].
\/
=== a cycle through two definitions is reported on the first one entered
--- program
x\7+ping,ping\pong,pong\ping
--- status
128
--- stderr
<ESC>[mError.
 Type: Cycle
 Name: ping
Cycle detected on function [ping].
\/
=== a partial application is not an integer
--- program
x\plus 1
--- status
128
--- stderr
<ESC>[mError.
 Type: Range
 Name: (plus 1)
The program must return an integer. Instead we encountered:
(plus 1)
\/
=== the absorbing value of a wrongly typed builtin call is not an integer
--- program
x\Z
--- status
128
--- stderr
<ESC>[mError.
 Type: Range
 Name: Z
The program must return an integer. Instead we encountered:
Z
\/
=== a text result is shown byte by byte
--- program
x\[hello]
--- status
128
--- stderr
<ESC>[mError.
 Type: Range
 Name: 104101108108111
The program must return an integer. Instead we encountered:
104101108108111
\/
=== a long result is clipped to 56 bytes in the name and shown whole in the message
--- program
x\K [the quick brown fox jumps over]
--- status
128
--- stderr
<ESC>[mError.
 Type: Range
 Name: K1161041013211311710599107329811411111911032102111120...
The program must return an integer. Instead we encountered:
K11610410132113117105991073298114111119110321021111203210611710911211532111118101114
\/
=== a result of exactly 56 bytes is not clipped
--- program
x\K [daaaaaaaaaaaaaaaaaaaaaaaaaa]
--- status
128
--- stderr
<ESC>[mError.
 Type: Range
 Name: K1009797979797979797979797979797979797979797979797979797
The program must return an integer. Instead we encountered:
K1009797979797979797979797979797979797979797979797979797
\/
=== a result of 57 bytes keeps its first 53 bytes in the name
--- program
x\K [ddaaaaaaaaaaaaaaaaaaaaaaaaa]
--- status
128
--- stderr
<ESC>[mError.
 Type: Range
 Name: K1001009797979797979797979797979797979797979797979797...
The program must return an integer. Instead we encountered:
K10010097979797979797979797979797979797979797979797979797
\/
=== a checker failure is returned before anything is evaluated
--- program
x\loop+0,loop\loop+1,bad\(g x)\x
--- status
128
--- stderr
<ESC>[mError.
 Type: Funky
Funky key in expression (\ (g x) x) in function bad.
\/
=== example factorial: the number of digits of 100!
--- setup
cp "$VORN_SOURCE_DIR/examples/factorial.vn" program.vn
--- program
--- status
158
=== example fibonacci: the number of digits of the 1000th Fibonacci number
--- setup
cp "$VORN_SOURCE_DIR/examples/fibonacci.vn" program.vn
--- program
--- status
209
=== example collatz: the start below 100 with the longest Collatz chain
--- setup
cp "$VORN_SOURCE_DIR/examples/collatz.vn" program.vn
--- program
--- status
97
=== example vowels: the vowels of a pangram
--- setup
cp "$VORN_SOURCE_DIR/examples/vowels.vn" program.vn
--- program
--- status
11
=== example primes: the twin-prime pairs below 1000
--- setup
cp "$VORN_SOURCE_DIR/examples/primes.vn" program.vn
--- program
--- status
35
=== a text pair whose left part is empty shows with the general join, the space inside the parenthesis
--- program
x\[][a]
--- end
--- status
128
--- stderr
<ESC>[mError.
 Type: Range
 Name: ( 97)
The program must return an integer. Instead we encountered:
( 97)
\/
