=== the loaded entry calls a function its source defines
--- program
main,
main\argv\load [inc 5,inc\x\x+1]
--- status
6
=== a later load uses what an earlier load defined
--- program
main,
main\argv\seq (load [inc 5,inc\x\x+1]) (load [inc (inc 10)]),
seq\a\b\b
--- status
12
=== loaded functions keep their arity and may call each other and themselves
--- program
main,
main\argv\load [fact 5,fact\n\(n<2) 1 (n*fact(times n)),times\n\n-1]
--- status
120
=== long local names in a loaded source are renamed
--- program
main,
main\argv\load [pick 3 4,pick\first\second\second-first]
--- status
1
=== a parameterless loaded definition and an empty-call one
--- program
main,
main\argv\seq (load [seven,seven\plus 3 4]) (load [seven+again,again()\seven*2]),
seq\a\b\b
--- status
21
=== a source given as a blob
--- program
main,
main\argv\load (init [sq 7,sq\x\x*x])
--- status
49
=== a source given as a joined text
--- program
main,
main\argv\load ([plus 2 ]+[40])
--- status
42
=== a source without definitions is only evaluated
--- program
main,
main\argv\load [plus 40 2]
--- status
42
=== a source may return any value, not only an integer
--- program
main,
main\argv\(load [[abc]] = [abc]) 1 0
--- status
1
=== redefining a definition of the program gives Z
--- program
main,
main\argv\(lisp (load [helper 1,helper\x\x]) = [Z]) 1 0,
helper\x\x
--- status
1
=== redefining a builtin, a Prelude name or the entry's name gives Z
--- program
main,
main\argv\(refused [plus,plus\1] & refused [S,S\1] & refused [main 1,main\x\x] & refused [1,[+]\K]) 1 0,
refused\source\lisp (load source) = [Z]
--- status
1
=== a name an earlier load defined cannot be defined again
--- program
main,
main\argv\seq (load [inc 1,inc\x\x+1]) ((lisp (load [inc 1,inc\x\x]) = [Z]) 1 0),
seq\a\b\b
--- status
1
=== a single lowercase letter or a binder cannot be defined
--- program
main,
main\argv\(refused [1,q\1] & refused [1,[\]\1] & refused [1,[{]\1]) 1 0,
refused\source\lisp (load source) = [Z]
--- status
1
=== malformed sources give Z
--- program
main,
main\argv\(refused [(] & refused [plus 1)] & refused [(a,b)] & refused [h (a,b)] & refused [{]) 1 0,
refused\source\lisp (load source) = [Z]
--- status
1
=== a source without an entry expression gives Z and defines nothing
--- program
main,
main\argv\(refused [,foo\1] & refused [] & refused [foo]) 1 0,
refused\source\lisp (load source) = [Z]
--- status
1
=== undefined names give Z
--- program
main,
main\argv\(refused [nothere 1] & refused [uses 1,uses\x\nothere x] & refused [y]) 1 0,
refused\source\lisp (load source) = [Z]
--- status
1
=== a definition nothing reaches that needs an undefined name is dropped, the rest is loaded
--- program
main,
main\argv\seq (load [1,kept\5,broken\x\nothere]) ((lisp (load [broken 1]) = [Z]) (load [kept]) 0),
seq\a\b\b
--- status
5
=== the checker's other refusals give Z
--- program
main,
main\argv\(refused [over 1,over\a\b\c\d\e\f\g\h\i\j\k\a] & refused [bad 1,bad\(g x)\x] & refused [many 1,many\a\b\c\d\e\f\g\h\i\j\k{1}l{1}m{1}n{1}o{1}p{1}q{1}r{1}s{1}t{1}u{1}v{1}w{1}x{1}y{1}z{1}aa{1}a]) 1 0,
refused\source\lisp (load source) = [Z]
--- status
1
=== a failing load adds none of its definitions
--- program
main,
main\argv\seq (load [1,first\2,over\a\b\c\d\e\f\g\h\i\j\k\a]) (seq (load [first,first\3,main\1]) ((lisp (load [first]) = [Z]) 1 0)),
seq\a\b\b
--- status
1
=== ten parameters are accepted
--- program
main,
main\argv\load [ten 1 2 3 4 5 6 7 8 9 10,ten\a\b\c\d\e\f\g\h\i\j\a+j]
--- status
11
=== sources of the wrong kind give Z
--- program
main,
main\argv\(refused (real [1.5]) & refused 00 & refused K & refused (V 1 2)) 1 0,
refused\source\lisp (load source) = [Z]
--- status
1
=== nested load: a loaded entry loads again
--- program
main,
main\argv\load [inc (load [sq 3,sq\x\x*x]),inc\x\x+1]
--- status
10
=== nested load: an inner load uses the outer source's definitions and the outer load stays
--- program
main,
main\argv\seq (load [load [[twice 4]],twice\x\x*2]) (load [twice 21]),
seq\a\b\b
--- status
42
=== quotes and pair bindings in a loaded source
--- program
main,
main\argv\load [swap (V 1 2) 5,swap\pair\k\first second{pair}(second*10+first)*k]
--- status
105
=== a cycle in a loaded definition ends the whole run
--- program
main,
main\argv\seq (load [loop,loop\loop+1]) 7,
seq\a\b\b
--- status
128
--- stderr
<ESC>[mError.
 Type: Cycle
 Name: loop
Cycle detected on function [loop].
\/
=== a cycle in a source loaded by loaded code, under pending arguments, ends the run the same way
--- program
main,
main\argv\K (load [load [loop,loop\loop+1]]) 1 2
--- status
128
--- stderr
<ESC>[mError.
 Type: Cycle
 Name: loop
Cycle detected on function [loop].
\/
=== loads nested a hundred thousand deep, each from code the one before it loaded
--- program
main,
main\argv\down 100000,
down\n\(n<1) 7 (load ([down ]+(n-1)))
--- status
7
=== a loaded entry is evaluated as on a machine of its own: a lazy head does not take the caller's pending arguments
--- program
main,
main\argv\(load [K]) 5 6
--- status
5
=== a source given as the address of a zero-terminated string: a command-line argument
--- program
main,
main\argv\load (getz argv)
--- args
sq 7,sq\x\x*x
--- status
49
=== a source given as the address of a string on the heap
--- program
main,
main\argv\text{strdup (init [plus 40 2])}value{load text}seq (free text) value,
seq\a\b\b
--- status
42
=== the null address gives Z
--- program
main,
main\argv\(lisp (load 0) = [Z]) 1 0
--- status
1
