=== exit ends the program with its status at once
--- program
main,main\args\seq (exit 3) 9,seq\p\q\q
--- status
3
=== exit writes out what the program printed before it
--- program
main,main\args\seq (puts (init [printed first])) (exit 3),seq\p\q\q
--- status
3
--- stdout
printed first
=== the parent sees the low 8 bits of the exit status
--- program
main,main\args\exit 259
--- status
3
=== exit of a text gives Z and the program goes on
--- program
main,main\args\seq (exit [3]) 5,seq\p\q\q
--- status
5
=== exit of a text as the result is reported as Z
--- program
main,main\args\exit [3]
--- status
128
--- stderr
<ESC>[mError.
 Type: Range
 Name: Z
The program must return an integer. Instead we encountered:
Z
\/
=== assert of K is I and the program goes on
--- program
main,main\args\(assert K) 7
--- status
7
=== assert of anything but a truth value gives Z
--- program
main,main\args\assert 1
--- status
128
--- stderr
<ESC>[mError.
 Type: Range
 Name: Z
The program must return an integer. Instead we encountered:
Z
\/
=== assert of H reports line 242 of the library and aborts after flushing stdout
--- program
main,main\args\seq (puts (init [before])) (seq (assert H) 0),seq\p\q\q
--- status
-6
--- stdout
before
--- stderr
ASSERTION FAILED:l:242
=== abort flushes stdout and dies of SIGABRT
--- program
main,main\args\seq (puts (init [before])) abort,seq\p\q\q
--- status
-6
--- stdout
before
=== getenv of a blob finds the variable; of a text it looks for a bracketed name
--- program
main,main\args\(getenv (init [VORN_CASE_DIR])>1) ((getenv [VORN_CASE_DIR]=0) 1 2) 3
--- status
1
=== system runs the command after the program's own output
--- program
main,main\args\seq (puts (init [first])) (system (init [echo second])),seq\p\q\q
--- stdout
first
second
=== time of 0, difftime and the size of time_t
--- program
main,main\args\(time 0>1700000000) ((difftime 10 3=real([7.0])) time_t 98) 99
--- status
8
=== error numbers are the platform's
--- program
main,main\args\(eacces=13)((ewouldblock=11)((einval=22)((econnaborted=103) 1 4) 3) 2) 0
--- status
1
