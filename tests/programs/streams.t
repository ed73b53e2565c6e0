=== a file written, read back, renamed and removed through the stream builtins
--- program
main,
main\argv\s{fopen (init [notes.txt]) (init [w+])}
b{calloc 1 64}
x{fputs (strdup (init [alpha[p]])) s}
x{say ([fwrite=]+(fwrite (init [beta[p]]) 1 5 s))}
x{say ([ftell=]+(ftell s))}
x{say ([fseek=]+(fseek s 0 0))}
x{say ([fgets=]+((fgets b 64 s=b) [buffer] [null]))}
x{fputs b stdout}
x{say ([fread=]+(fread b 1 64 s))}
x{fwrite b 1 5 stdout}
x{say ([feof=]+((feof s=0) [no] [yes]))}
x{say ([fclose=]+(fclose s))}
x{say ([rename=]+(rename (init [notes.txt]) (init [kept.txt])))}
x{say ([old name=]+((fopen (init [notes.txt]) (init [r])=0) [gone] [still there]))}
x{say ([remove=]+(remove (init [kept.txt])))}
x{r{remove (init [kept.txt])}say ([remove again=]+((r<0) [failed] [removed])+[, errno=]+errno)}
x{free b}
0,
say\text\puts (init text)
--- stdout
fwrite=5
ftell=11
fseek=0
fgets=buffer
alpha
fread=5
beta
feof=yes
fclose=0
rename=0
old name=gone
remove=0
remove again=failed, errno=2
=== puts prints a text Atom with its brackets and a blob as its bytes
--- program
main,
main\argv\x{puts [a text Atom]}x{puts (init [a blob])}0
--- stdout
[a text Atom]
a blob
=== stream output and descriptor output stay in order when the program flushes
--- program
main,
main\argv\x{puts (init [through the stream])}
x{fflush stdout}
x{write 1 (init [through descriptor 1[p]]) 21}
x{puts (init [the stream again, flushed at exit])}
0
--- stdout
through the stream
through descriptor 1
the stream again, flushed at exit
=== what the program wrote is kept when it then fails
--- program
main,
main\argv\x{puts (init [written before the failure])}fputs [fputs takes no text] stdout
--- status
128
--- stdout
written before the failure
--- stderr
<ESC>[mError.
 Type: Range
 Name: Z
The program must return an integer. Instead we encountered:
Z
\/
=== getchar reads the piped standard input
--- program
main,
main\argv\echo 0,
echo\count\c{getchar}(c<0) count (seq (putchar c) (echo (count+1))),
seq\first\then\then
--- stdin
abc
--- status
4
--- stdout
abc
=== a directory of two files: each record carries the hash of the next name
--- setup
mkdir d && printf one > d/first.txt && printf two > d/second.txt
--- program
main,
main\argv\h{opendir (strdup (init [d]))}
x{walk h (readdir h) 1 0 0 0}
x{say ([after the end=]+(readdir h))}
x{say ([closedir=]+(closedir h))}
0,
walk\h\r\count\good\dirs\files\o{gets (r+4)}t{getu (r+24)}d{dirs+((t=16384) 1 0)}f{files+((t=32768) 1 0)}n{readdir h}(n=0) (report count good d f o) (walk h n (count+1) (good+((o=djb (n+28) 5381) 1 0)) d f),
report\count\good\dirs\files\last\x{say ([records=]+count)}x{say ([d_off is the hash of the next name=]+good)}x{say ([last d_off=]+last)}x{say ([directories=]+dirs)}say ([files=]+files),
djb\p\hash\c{getx p}(c=0) hash (djb (p+1) ((hash*33+c)%2147483648)),
say\text\puts (init text)
--- stdout
records=4
d_off is the hash of the next name=3
last d_off=2147483647
directories=2
files=2
after the end=0
closedir=0
=== opendir and closedir failures set errno
--- setup
printf x > plain
--- program
main,
main\argv\x{say ([opendir 0=]+(opendir 0)+[ errno=]+errno)}
x{say ([opendir of an empty path=]+(opendir (strdup (init [])))+[ errno=]+errno)}
x{say ([opendir missing=]+(opendir (strdup (init [missing])))+[ errno=]+errno)}
x{say ([opendir plain=]+(opendir (strdup (init [plain])))+[ errno=]+errno)}
x{say ([closedir 0=-]+(0-(closedir 0))+[ errno=]+errno)}
x{say ([dirent=]+dirent)}
0,
say\text\puts (init text)
--- stdout
opendir 0=0 errno=2
opendir of an empty path=0 errno=2
opendir missing=0 errno=2
opendir plain=0 errno=20
closedir 0=-1 errno=9
dirent=296
=== examples/hello.vn greets the world
--- setup
cp "$VORN_SOURCE_DIR/examples/hello.vn" program.vn
--- program
--- stdout
Hello, world!
=== examples/cat.vn copies the named files to standard output
--- setup
cp "$VORN_SOURCE_DIR/examples/cat.vn" program.vn && printf 'one\n' > a && printf 'two\nlines\n' > b && printf 'x\000y' > zero
--- args
a
b
zero
--- program
--- stdout
one
two
lines
x<NUL>y
--- end
=== examples/cat.vn reports a file it cannot open and goes on
--- setup
cp "$VORN_SOURCE_DIR/examples/cat.vn" program.vn && printf 'one\n' > a && printf 'two\n' > b
--- args
a
missing
b
--- program
--- status
1
--- stdout
one
two
--- stderr
missing: No such file or directory
=== examples/cat.vn copies standard input when no file is named
--- setup
cp "$VORN_SOURCE_DIR/examples/cat.vn" program.vn
--- program
--- stdin
piped
bytes
--- stdout
piped
bytes
=== examples/ls.vn lists a directory, leaving out hidden entries
--- setup
cp "$VORN_SOURCE_DIR/examples/ls.vn" program.vn && mkdir d && touch d/only.txt d/.hidden
--- args
d
--- program
--- stdout
only.txt
=== examples/ls.vn marks directories with a slash
--- setup
cp "$VORN_SOURCE_DIR/examples/ls.vn" program.vn && mkdir d d/sub
--- args
d
--- program
--- stdout
sub/
=== examples/ls.vn lists the working folder when no directory is named
--- setup
cp "$VORN_SOURCE_DIR/examples/ls.vn" program.vn
--- program
--- stdout
program.vn
=== examples/ls.vn reports a directory it cannot open
--- setup
cp "$VORN_SOURCE_DIR/examples/ls.vn" program.vn
--- args
missing
--- program
--- status
1
--- stderr
missing: No such file or directory
