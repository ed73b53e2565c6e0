=== a closing bracket with nothing open
--- options
--explain
--- program
main,
main\args\1)
--- status
128
--- stderr
<ESC>[mError.
 Type: Match
Match[____q]Left dangling parenthesis.
\/
program.vn:2:12: the closing bracket
main\args\1)
           ^
=== a bracket left open
--- options
--explain
--- program
main,
main\args\(1
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
=== a closing bracket of the wrong kind: both brackets are shown
--- options
--explain
--- program
main,
main\args\{1
+2)
--- status
128
--- stderr
<ESC>[mError.
 Type: Match
Match[____p]Doesn't fit ')' at [____t].
\/
program.vn:2:11: the opening bracket
main\args\{1
          ^
program.vn:3:3: the closing bracket
+2)
  ^
=== a comma in a parenthesis that is no call list
--- options
--explain
--- program
main,
main\args\(1,2)
--- status
128
--- stderr
<ESC>[mError.
 Type: Comma
Comma[____r]Comma encountered in parenthesization which is not a call list.
\/
program.vn:2:13: the comma
main\args\(1,2)
            ^
=== a builtin defined again: the definition, found through the normalised text
--- options
--explain
--- program
main,
main\args\1,

  plus\a\a
--- status
128
--- stderr
<ESC>[mError.
 Type: Built
Built in function [plus] cannot be re-defined.
\/
program.vn:4:3: the definition
  plus\a\a
  ^
=== a single lowercase letter defined
--- options
--explain
--- program
main,
main\args\1,   x\2
--- status
128
--- stderr
<ESC>[mError.
 Type: Lower
Single lowercase letters (x) cannot be defined as global variables.
\/
program.vn:2:16: the definition
main\args\1,   x\2
               ^
=== a malformed binder in a definition
--- options
--explain
--- program
main,
main\args\hh 1,
hh\(g x)\x
--- status
128
--- stderr
<ESC>[mError.
 Type: Funky
Funky key in expression (\ (g x) x) in function hh.
\/
program.vn:3:1: [hh] is defined here
hh\(g x)\x
^
=== a malformed binder in the entry
--- options
--explain
--- program

  (g x)\1
--- status
128
--- stderr
<ESC>[mError.
 Type: Funky
Funky key in expression (\ (g x) 1).
\/
program.vn:2:3: the entry starts here
  (g x)\1
  ^
=== too many local names
--- options
--explain
--- program
main,
main\args\hh 1,
hh\a\(b\c\d\e\f\g\h\i\j\k\l\m\n\o\p\q\r\s\t\u\v\w\x\y\z\aa\bb\a)
--- status
128
--- stderr
<ESC>[mError.
 Type: Place
 Name: hh
Place error in function hh.
\/
program.vn:3:1: [hh] is defined here
hh\a\(b\c\d\e\f\g\h\i\j\k\l\m\n\o\p\q\r\s\t\u\v\w\x\y\z\aa\bb\a)
^
=== too many parameters
--- options
--explain
--- program
main,
main\args\hh 1 2 3 4 5 6 7 8 9 10 11,
hh\a\b\c\d\e\f\g\i\j\k\l\a
--- status
128
--- stderr
<ESC>[mError.
 Type: Arity
 Name: hh
Arity of function hh may not exceed ten.
\/
program.vn:3:1: [hh] is defined here
hh\a\b\c\d\e\f\g\i\j\k\l\a
^
=== a missing name: where it is used, and the names spelt like it
--- options
--explain
--- program
main,
main\args\strln(getw args)
--- status
128
--- stderr
<ESC>[mError.
 Type: Alive
 Name: strln
Alive function [main] references undefined [strln].
\/
program.vn:2:11: [strln] is used here, in [main]
main\args\strln(getw args)
          ^
Did you mean [strlen]?
=== a missing name in the last of two definitions of one name
--- options
--explain
--- program
main,
main\args\hh 1,
hh\x\x,
hh\x\wrte x
--- status
128
--- stderr
<ESC>[mError.
 Type: Alive
 Name: wrte
Alive function [hh] references undefined [wrte].
\/
program.vn:4:6: [wrte] is used here, in [hh]
hh\x\wrte x
     ^
Did you mean [write]?
=== a missing name inside a word or a text is not its use
--- options
--explain
--- program
main,
main\args\zz,
zz\[fuzz] fuzzy fuzz
--- status
128
--- stderr
<ESC>[mError.
 Type: Alive
 Name: fuzz
Alive function [zz] references undefined [fuzz].
\/
program.vn:3:17: [fuzz] is used here, in [zz]
zz\[fuzz] fuzzy fuzz
                ^
=== a letter no parameter binds
--- options
--explain
--- program
main,
main\args\hh 1,
hh\x\y
--- status
128
--- stderr
<ESC>[mError.
 Type: Alive
 Name: y
Alive function [hh] references undefined [y].
\/
program.vn:3:6: [y] is used here, in [hh]
hh\x\y
     ^
=== a tab before the caret is widened
--- options
--explain
--- program
main,
main\args\K [	x] prnt
--- status
128
--- stderr
<ESC>[mError.
 Type: Alive
 Name: prnt
Alive function [main] references undefined [prnt].
\/
program.vn:2:18: [prnt] is used here, in [main]
main\args\K [   x] prnt
                   ^
=== a cycle: the definition
--- options
--explain
--- program
main,
main\args\loop,
loop\loop+1
--- status
128
--- stderr
<ESC>[mError.
 Type: Cycle
 Name: loop
Cycle detected on function [loop].
\/
program.vn:3:1: [loop] is defined here
loop\loop+1
^
=== a non-integer result points nowhere
--- options
--explain
--- program
main,
main\args\[text]
--- status
128
--- stderr
<ESC>[mError.
 Type: Range
 Name: 116101120116
The program must return an integer. Instead we encountered:
116101120116
\/
=== a #! line: line numbers count from the top of the file
--- options
--explain
--- program
#!/usr/bin/env vorn
main,
main\args\(1]
--- status
128
--- stderr
<ESC>[mError.
 Type: Match
Match[____9]Doesn't fit ']' at [____B].
\/
program.vn:3:11: the opening bracket
main\args\(1]
          ^
program.vn:3:13: the closing bracket
main\args\(1]
            ^
=== a program given with -e is named <-e>
--- argv
--explain
-e
a\strln 1
--- status
128
--- stderr
<ESC>[mError.
 Type: Alive
 Name: strln
Alive function [TOP] references undefined [strln].
\/
<-e>:1:3: [strln] is used here, in the entry
a\strln 1
  ^
Did you mean [strlen]?
=== a program read from standard input is named <stdin>
--- argv
--explain
-
--- stdin
main,
main\args\prnt 1
--- status
128
--- stderr
<ESC>[mError.
 Type: Alive
 Name: prnt
Alive function [main] references undefined [prnt].
\/
<stdin>:2:11: [prnt] is used here, in [main]
main\args\prnt 1
          ^
=== the source line is shown in the display form, one column per byte
--- options
--explain
--- setup
printf 'main,\nmain\\args\\[\303\251] prnt\n' > program.vn
--- status
128
--- stderr
<ESC>[mError.
 Type: Alive
 Name: prnt
Alive function [main] references undefined [prnt].
\/
program.vn:2:16: [prnt] is used here, in [main]
main\args\[<ESC>[31mC)<ESC>[m] prnt
               ^
=== --explain goes with --check
--- options
--check
--explain
--- program
main,
main\args\(1,2)
--- status
128
--- stderr
<ESC>[mError.
 Type: Comma
Comma[____r]Comma encountered in parenthesization which is not a call list.
\/
program.vn:2:13: the comma
main\args\(1,2)
            ^
