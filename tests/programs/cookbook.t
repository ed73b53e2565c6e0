The recipes of docs/cookbook.md; cookbook_check.py keeps each program and output here the same as there.
=== hello
--- program
main,
main\argv\x{puts (init [Hello, world!])}0
--- status
0
--- stdout
Hello, world!
=== hello-lambda
--- program
argv\x{puts (init [Hello again.])}0
--- status
0
--- stdout
Hello again.
=== print
--- program
main,
main\argv\
  x{say [a text]}
  x{say ([]+42)}
  x{say ([]+(0-42))}
  x{say (signed (0-42))}
  x{say ([6*7 is ]+6*7+[, 2^70 is ]+2^70)}
  x{say ([one[p]two [q]three[r]])}
  0,
say\text\puts (init text),
signed\n\(n<0) ([-]+(0-n)) ([]+n)
--- status
0
--- stdout
a text
42
042
-42
6*7 is 42, 2^70 is 1180591620717411303424
one
two [three]
=== stderr
--- program
main,
main\argv\
  x{out [no line feed here, ]}
  x{out [the line ends here[p]]}
  x{err [warning: this goes to standard error[p]]}
  x{fputs (strerror 2) stderr}
  x{write 2 (init [[p]]) 1}
  3,
out\text\b{init text}fwrite b 1 (rank b) stdout,
err\text\b{init text}fwrite b 1 (rank b) stderr
--- status
3
--- stdout
no line feed here, the line ends here
--- stderr
warning: this goes to standard error
No such file or directory
=== seq
--- program
main,
main\argv\
  seq (say [first]) (
  seq (say [second]) (
  x{say [third]}
  x{K 0 (say [never printed: K does not evaluate what it drops])}
  x{countdown 3}
  seq (say [done]) 0)),
countdown\n\(n<1) 0 (x{say ([]+n+[...])}countdown(n-1)),
say\text\puts (init text),
seq\first\then\then
--- status
0
--- stdout
first
second
third
3...
2...
1...
done
=== args
--- program
main,
main\argv\count{each argv 0}x{say ([]+count+[ arguments])}0,
each\argv\n\arg{getz (argv+8*n)}(arg=0) n (x{show n arg}each argv (n+1)),
show\n\arg\
  x{fputs arg stdout}
  say ([ is argument ]+n+[, ]+strlen(arg)+[ bytes, the number ]+atoi(arg)+flag(text(arg))),
flag\word\(word=[--verbose]) [, the verbose flag] [],
text\arg\(getx arg=0) [] (rows(getx arg)+text(arg+1)),
say\text\puts (init text)
--- args
one
42
--verbose
two [words]
--- status
0
--- stdout
one is argument 0, 3 bytes, the number 0
42 is argument 1, 2 bytes, the number 42
--verbose is argument 2, 9 bytes, the number 0, the verbose flag
two [words] is argument 3, 11 bytes, the number 0
4 arguments
=== args: no arguments
--- program
main,
main\argv\count{each argv 0}x{say ([]+count+[ arguments])}0,
each\argv\n\arg{getz (argv+8*n)}(arg=0) n (x{show n arg}each argv (n+1)),
show\n\arg\
  x{fputs arg stdout}
  say ([ is argument ]+n+[, ]+strlen(arg)+[ bytes, the number ]+atoi(arg)+flag(text(arg))),
flag\word\(word=[--verbose]) [, the verbose flag] [],
text\arg\(getx arg=0) [] (rows(getx arg)+text(arg+1)),
say\text\puts (init text)
--- status
0
--- stdout
0 arguments
=== readfile
--- setup
printf 'first line\nsecond line\nthird\n' > notes.txt
--- program
main,
main\argv\name{getz argv}(name=0) (x{err [usage: vorn readfile.vn file[p]]}2) (number name),
number\name\file{fopen name (init [r])}(file=0) (x{perror name}1) (x{lines file (malloc 256) 1}fclose file),
lines\file\buffer\n\(fgets buffer 256 file=0) (free buffer) (x{out ([]+n+[: ])}x{fputs buffer stdout}lines file buffer (n+1)),
out\text\b{init text}fwrite b 1 (rank b) stdout,
err\text\b{init text}fwrite b 1 (rank b) stderr
--- args
notes.txt
--- status
0
--- stdout
1: first line
2: second line
3: third
=== readfile: a file that cannot be opened
--- program
main,
main\argv\name{getz argv}(name=0) (x{err [usage: vorn readfile.vn file[p]]}2) (number name),
number\name\file{fopen name (init [r])}(file=0) (x{perror name}1) (x{lines file (malloc 256) 1}fclose file),
lines\file\buffer\n\(fgets buffer 256 file=0) (free buffer) (x{out ([]+n+[: ])}x{fputs buffer stdout}lines file buffer (n+1)),
out\text\b{init text}fwrite b 1 (rank b) stdout,
err\text\b{init text}fwrite b 1 (rank b) stderr
--- args
missing.txt
--- status
1
--- stderr
missing.txt: No such file or directory
=== readfile: no argument
--- program
main,
main\argv\name{getz argv}(name=0) (x{err [usage: vorn readfile.vn file[p]]}2) (number name),
number\name\file{fopen name (init [r])}(file=0) (x{perror name}1) (x{lines file (malloc 256) 1}fclose file),
lines\file\buffer\n\(fgets buffer 256 file=0) (free buffer) (x{out ([]+n+[: ])}x{fputs buffer stdout}lines file buffer (n+1)),
out\text\b{init text}fwrite b 1 (rank b) stdout,
err\text\b{init text}fwrite b 1 (rank b) stderr
--- status
2
--- stderr
usage: vorn readfile.vn file
=== stdin
--- program
main,
main\argv\lines{shout 0}x{puts (init ([]+lines+[ lines]))}0,
shout\lines\c{getchar}(c<0) lines (x{putchar (toupper c)}shout ((c=10) (lines+1) lines))
--- stdin
hello
world
--- status
0
--- stdout
HELLO
WORLD
2 lines
=== stdin: empty input
--- program
main,
main\argv\lines{shout 0}x{puts (init ([]+lines+[ lines]))}0,
shout\lines\c{getchar}(c<0) lines (x{putchar (toupper c)}shout ((c=10) (lines+1) lines))
--- status
0
--- stdout
0 lines
=== list
--- program
main,
main\argv\
  numbers{range 1 6}
  x{say (join numbers)}
  x{say (join (map square numbers))}
  x{say (join (filter even (map square numbers)))}
  x{say ([length ]+length(numbers)+[, sum ]+sum(numbers))}
  0,
range\low\high\(low<high) (J low (range (low+1) high)) K,
square\n\n*n,
even\n\n%2=0,
map\f\list\list K (head\tail\J (f head) (map f tail)),
filter\keep\list\list K (head\tail\(keep head) (J head (filter keep tail)) (filter keep tail)),
length\list\list 0 (head\tail\1+length(tail)),
sum\list\list 0 (head\tail\head+sum(tail)),
join\list\list [] (head\tail\[]+head+rest(tail)),
rest\list\list [] (head\tail\[, ]+head+rest(tail)),
say\text\puts (init text)
--- status
0
--- stdout
1, 2, 3, 4, 5
1, 4, 9, 16, 25
4, 16
length 5, sum 15
=== sort
--- program
main,
main\argv\
  x{say (join (sort less (numbers argv)))}
  x{say (join (sort later (numbers argv)))}
  x{say (join (sort less (J [pear] (J [apple] (J [fig] K)))))}
  0,
numbers\argv\arg{getz argv}(arg=0) K (J (atoi arg) (numbers (argv+8))),
sort\before\list\list K (head\tail\insert before head (sort before tail)),
insert\before\item\list\list (J item K) (head\tail\(before item head) (J item list) (J head (insert before item tail))),
later\a\b\b<a,
join\list\list [] (head\tail\[]+head+rest(tail)),
rest\list\list [] (head\tail\[ ]+head+rest(tail)),
say\text\puts (init text)
--- args
5
3
12
0
7
5
--- status
0
--- stdout
0 3 5 5 7 12
12 7 5 5 3 0
apple fig pear
=== real
--- program
main,
main\argv\
  r{real [3.14159]}
  x{say ([]+r)}
  x{say (fixed r 2)}
  x{say (fixed (r*1000) 1)}
  x{say (fixed (0-r) 3)}
  x{say (fixed (sqrt(real 2)) 4)}
  x{say (fixed ((real 7)/3) 3)}
  x{say (fixed (atof (init [1e-3])) 3)}
  x{say ([]+whole(r*100))}
  0,
fixed\r\places\(buck r) (digits r places) ([-]+digits(0-r,places)),
digits\r\places\scale{10^places}n{whole(r*scale)}[]+n/scale+[.]+pad([]+n%scale,places),
pad\text\places\(rank text<places) (pad ([0]+text) places) text,
whole\r\into 0 52 (r+real(4503599627370496)),
say\text\puts (init text)
--- status
0
--- stdout
3.141590e+00
3.14
3141.6
-3.142
1.4142
2.333
0.001
314
=== socket
--- program
main,
main\argv\
  server{socket 2 1 0}
  x{setsockopt server 1 2 (int_box 1) 4}
  port{listen_on server 47100}
  (port=0) (fail [no free port]) (talk server port),
listen_on\server\port\(port>47199) 0 ((bind server (loopback port) 16=0) ((listen server 4=0) port 0) (listen_on server (port+1))),
talk\server\port\
  client{socket 2 1 0}
  (connect client (loopback port) 16<0) (fail [cannot connect]) (
  x{send client (init [ping]) 4 0}
  conn{accept server 0 0}
  x{say ([server got ]+receive(conn))}
  x{send conn (init [pong]) 4 0}
  x{say ([client got ]+receive(client))}
  x{closesocket client}
  x{closesocket conn}
  x{closesocket server}
  0),
receive\socket\
  buffer{calloc 1 64}
  n{recv socket buffer 63 0}
  text{(n<0) [nothing] (from_c buffer)}
  x{free buffer}
  text,
from_c\p\(getx p=0) [] (rows(getx p)+from_c(p+1)),
loopback\port\p{calloc 1 16}x{sett p 2}x{sett (p+2) (htons port)}x{setu (p+4) (htonl 2130706433)}p,
int_box\value\p{calloc 1 4}x{setu p value}p,
fail\text\x{perror (init text)}1,
say\text\puts (init text)
--- status
0
--- stdout
server got ping
client got pong
=== trap-space
--- program
main,
main\argv\
  x{show (1+square 4)}
  x{show (1+square(4))}
  x{show (1+(square 4))}
  x{show (square 1+2)}
  0,
square\n\n*n,
show\value\puts (init (lisp value))
--- status
0
--- stdout
Z
17
17
9
=== trap-zero
--- program
main,
main\argv\
  x{show (07+10)}
  x{show (7+10)}
  x{show (0-7)}
  x{show (007+1)}
  0,
show\value\puts (init (lisp value))
--- status
0
--- stdout
3
17
07
008
=== trap-at-least
--- program
main,
main\argv\
  x{show (3>3)}
  x{show (greater 3 3)}
  x{show (greater 4 3)}
  x{show (at_most 3 3)}
  0,
greater\a\b\b<a,
at_most\a\b\b>a,
show\value\puts (init (lisp value))
--- status
0
--- stdout
K
H
K
K
