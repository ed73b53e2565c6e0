=== expressions are evaluated and shown in source form, definitions are added
--- argv
-i
--- stdin
1+2
[abc]
double\x\x*2
double 21
(x\x+1)
plus 1
K
atof [1.5]
[a b]
--- stdout
3
[abc]
42
(\x +x1)
plus1
K
real[0.000000e+00]
[a b]
=== blank lines do nothing, and a last line without a newline is read
--- argv
-i
--- stdin

   
6*7
--- end
--- stdout
42
=== a line starting with a comma defines, as a program's definitions do
--- argv
-i
--- stdin
,inc\n\n+1, dec\n\n-1
inc(dec 5)
--- stdout
5
=== definitions after an expression are added before it is evaluated, and stay
--- argv
-i
--- stdin
sq 4, sq\x\x*x
sq 5
--- stdout
16
25
=== a definition in the empty-call form is computed at every use
--- argv
-i
--- stdin
four()\2+2
four+four
--- stdout
8
=== the load builtin adds to the session, and may not redefine either
--- argv
-i
--- stdin
sq\x\x*x
load [cube 2, cube\x\x*sq(x)]
cube 3
load [cube 1, cube\x\x]
--- stdout
8
27
Z
=== a report is printed and the session goes on
--- argv
-i
--- stdin
double\x\x*2
double\x\x+x
plus\a\a
x\x+1
prnt 1
(1]
(1,2)
hh\(g x)\x
loop\loop+1
loop
double 4
--- stdout
8
--- stderr
<ESC>[mError.
 Type: Twice
 Name: double
Function [double] is already defined.
\/
<ESC>[mError.
 Type: Built
Built in function [plus] cannot be re-defined.
\/
<ESC>[mError.
 Type: Lower
Single lowercase letters (x) cannot be defined as global variables.
\/
<ESC>[mError.
 Type: Alive
 Name: prnt
Alive function [TOP] references undefined [prnt].
\/
<ESC>[mError.
 Type: Match
Match[_____]Doesn't fit ']' at [____b].
\/
<ESC>[mError.
 Type: Comma
Comma[____b]Comma encountered in parenthesization which is not a call list.
\/
<ESC>[mError.
 Type: Funky
Funky key in expression (\ (g x) x) in function hh.
\/
<ESC>[mError.
 Type: Cycle
 Name: loop
Cycle detected on function [loop].
\/
=== the Prelude's names may not be redefined
--- argv
-i
--- stdin
K\a\b\b
K 1 2
--- stdout
1
--- stderr
<ESC>[mError.
 Type: Twice
 Name: K
Function [K] is already defined.
\/
=== a refused line adds none of its definitions
--- argv
-i
--- stdin
good\x\x, bad\x\nope x
good 1
--- stderr
<ESC>[mError.
 Type: Alive
 Name: nope
Alive function [bad] references undefined [nope].
\/
<ESC>[mError.
 Type: Alive
 Name: good
Alive function [TOP] references undefined [good].
\/
=== a definition a stopped evaluation was computing is computed afresh next time
--- argv
-i
--- stdin
ok\1+2, bad\ok+loop, loop\loop
bad
bad
ok
--- stdout
3
--- stderr
<ESC>[mError.
 Type: Cycle
 Name: loop
Cycle detected on function [loop].
\/
<ESC>[mError.
 Type: Cycle
 Name: loop
Cycle detected on function [loop].
\/
=== :quit ends the session, and nothing after it is read
--- argv
-i
--- stdin
1
:quit
2
--- stdout
1
=== with --explain a report shows the line it points at
--- argv
-i
--explain
--- stdin
double\x\x*2
dobule 2
double\y\y
(1,2)
--- stderr
<ESC>[mError.
 Type: Alive
 Name: dobule
Alive function [TOP] references undefined [dobule].
\/
<input>:2:1: [dobule] is used here, in the entry
dobule 2
^
Did you mean [double]?
<ESC>[mError.
 Type: Twice
 Name: double
Function [double] is already defined.
\/
<input>:3:1: [double] is defined again here
double\y\y
^
<ESC>[mError.
 Type: Comma
Comma[____b]Comma encountered in parenthesization which is not a call list.
\/
<input>:4:3: the comma
(1,2)
  ^
=== the session loads a file's definitions and does not run its entry
--- argv
-i
program.vn
--- program
#!/usr/bin/env vorn
main,
main\args\puts [the entry ran],
square\n\n*n,
cube\n\n*square(n)
--- stdin
cube 3
main
--- stdout
27
main
=== every definition of the file is checked, not only those its entry reaches
--- argv
-i
program.vn
--- program
main,
main\args\0,
broken\n\nope n
--- stdin
1
--- status
128
--- stderr
<ESC>[mError.
 Type: Alive
 Name: nope
Alive function [broken] references undefined [nope].
\/
=== a file with only definitions is enough
--- argv
-i
program.vn
--- program
,square\n\n*n
--- stdin
square 12
--- stdout
144
=== a file that does not load ends the session at once
--- argv
-i
--explain
program.vn
--- program
main,
main\args\(1
--- stdin
1
--- status
128
--- stderr
<ESC>[mError.
 Type: Match
Match[____p]Right dangling parenthesis.
\/
program.vn:2:11: the bracket left open
main\args\(1
          ^
=== a file that cannot be read gives the start report
--- argv
-i
missing.vn
--- status
128
--- stderr
Error.
 Type: Start
 Name: "missing.vn"
Could not read program file.
\/
=== a cycle in a definition of the file points into the file
--- argv
-i
--explain
program.vn
--- program
,
loop\loop+1
--- stdin
loop
--- stderr
<ESC>[mError.
 Type: Cycle
 Name: loop
Cycle detected on function [loop].
\/
program.vn:2:1: [loop] is defined here
loop\loop+1
^
=== -e gives the session its definitions, and standard input its lines
--- argv
-i
-e
,sq\x\x*x
--- stdin
sq 6
--- stdout
36
=== a file name may follow -- in a session
--- setup
printf ',inc\\x\\x+1' > -lib.vn
--- argv
-i
--
-lib.vn
--- stdin
inc 1
--- stdout
2
