=== example argcount with no arguments finds the null pointer at once
--- setup
cp "$VORN_SOURCE_DIR/examples/argcount.vn" program.vn
--- program
--- status
0
=== example argcount counts every argument
--- setup
cp "$VORN_SOURCE_DIR/examples/argcount.vn" program.vn
--- program
--- args
one
two words
3
--- status
3
=== example argcount with many arguments
--- setup
cp "$VORN_SOURCE_DIR/examples/argcount.vn" program.vn
--- program
--- args
a
b
c
d
e
f
g
h
i
j
k
l
--- status
12
=== example argsum adds its numeric arguments
--- setup
cp "$VORN_SOURCE_DIR/examples/argsum.vn" program.vn
--- program
--- args
1
2
3
--- status
6
=== example argsum reads several digits and a minus sign
--- setup
cp "$VORN_SOURCE_DIR/examples/argsum.vn" program.vn
--- program
--- args
123
-20
--- status
103
=== example argsum counts words as 0 and stops a number at its first non-digit
--- setup
cp "$VORN_SOURCE_DIR/examples/argsum.vn" program.vn
--- program
--- args
50
-8
none
7x
--- status
49
=== example argsum with no arguments is zero
--- setup
cp "$VORN_SOURCE_DIR/examples/argsum.vn" program.vn
--- program
--- status
0
=== example argsum beyond 255 shows only the low 8 bits in the status
--- setup
cp "$VORN_SOURCE_DIR/examples/argsum.vn" program.vn
--- program
--- args
200
100
--- status
44
=== example argsum of a negative total
--- setup
cp "$VORN_SOURCE_DIR/examples/argsum.vn" program.vn
--- program
--- args
-3
--- status
253
=== the argument strings are zero-terminated bytes: strlen of each
--- program
main,
main\argv\strlen(getw(argv))*10+strlen(getw(argv+8))
--- args
abcd
xy
--- status
42
=== setx of 300 keeps the low byte: getx gives 44
--- program
main,
main\argv\probe(malloc(1)),
probe\block\first(after(setx(block,300),getx(block)),free(block)),
after\done\value\value,
first\value\done\value
--- status
44
=== setx of 300 keeps the low byte: gety gives 44
--- program
main,
main\argv\probe(malloc(1)),
probe\block\first(after(setx(block,300),gety(block)),free(block)),
after\done\value\value,
first\value\done\value
--- status
44
=== setx of 200: getx gives 200 and gety gives -56
--- program
main,
main\argv\probe(malloc(1)),
probe\block\first(after(setx(block,200),(getx(block)=200)(0-gety(block))0),free(block)),
after\done\value\value,
first\value\done\value
--- status
56
=== a word of all ones: getw is 2^64-1 and getz is -1
--- program
main,
main\argv\probe(malloc(8)),
probe\block\first(after(setw(block,01),(getw(block)=18446744073709551615)(0-getz(block))9),free(block)),
after\done\value\value,
first\value\done\value
--- status
1
=== a writer given a text address gives Z and the run reports it
--- program
main,
main\argv\setu([1000],7)
--- status
128
--- stderr
<ESC>[mError.
 Type: Range
 Name: Z
The program must return an integer. Instead we encountered:
Z
\/
=== a reader given a text gives Z rather than reading at a wild address
--- program
main,
main\argv\getw([0])
--- status
128
--- stderr
<ESC>[mError.
 Type: Range
 Name: Z
The program must return an integer. Instead we encountered:
Z
\/
=== strlen of a text literal counts its brackets
--- program
main,
main\argv\strlen([abc])
--- status
5
=== strcmp orders texts and gives -1, 0 or 1
--- program
main,
main\argv\(strcmp([a],[b])=01)((strcmp([b],[a])=1)((strcmp([same],[same])=0)0 3)2)1
--- status
0
=== strcmp compares bytes above 127 as unsigned
--- program
main,
main\argv\probe(calloc(2,2)),
probe\pair\first(compare(after(setx(pair,200),pair),after(setx(pair+2,100),pair+2)),free(pair)),
compare\high\low\(strcmp(high,low)=1)((strcmp(low,high)=01)0 2)1,
after\done\value\value,
first\value\done\value
--- status
0
=== strcpy returns its destination and writes the text's bytes
--- program
main,
main\argv\probe(malloc(16)),
probe\block\first(check(block,strcpy(block,[hi])),free(block)),
check\block\result\(result=block)((strlen(block)=4)(getx(block+1))2)1,
first\value\done\value
--- status
104
=== strcpy refuses a text destination
--- program
main,
main\argv\strcpy([room],[hi])
--- status
128
--- stderr
<ESC>[mError.
 Type: Range
 Name: Z
The program must return an integer. Instead we encountered:
Z
\/
=== strcat appends at the destination's end
--- program
main,
main\argv\probe(malloc(16)),
probe\block\first(strlen(strcat(strcpy(block,[ab]),[cde])),free(block)),
first\value\done\value
--- status
9
=== bzero with count 0 gives I
--- program
main,
main\argv\probe(malloc(4)),
probe\block\first(bzero(block,0)7,free(block)),
first\value\done\value
--- status
7
=== bzero clears the bytes it is given
--- program
main,
main\argv\probe(malloc(4)),
probe\block\first(after(setu(block,4294967295),after(bzero(block,3),getu(block)=4278190080)),free(block))0 1,
after\done\value\value,
first\value\done\value
--- status
0
=== bzero with count -1 gives Z
--- program
main,
main\argv\probe(malloc(4)),
probe\block\first(bzero(block,01)7,free(block)),
first\value\done\value
--- status
128
--- stderr
<ESC>[mError.
 Type: Range
 Name: Z
The program must return an integer. Instead we encountered:
Z
\/
=== free of 0 gives I
--- program
main,
main\argv\free(0)7
--- status
7
=== strtok continues from 0 after its start
--- program
main,
main\argv\probe(malloc(16)),
probe\block\first(tokens(strcpy(block,[a,bc,,d])),free(block)),
tokens\line\after(strtok(line,[,]),second(strtok(0,[,]))),
second\token\(strlen(token)=2)(getx(token))1,
after\done\value\value,
first\value\done\value
--- status
98
=== strtok runs out of tokens and then gives 0
--- program
main,
main\argv\probe(malloc(8)),
probe\block\first(tokens(strcpy(block,[x])),free(block)),
tokens\line\after(strtok(line,[]),after(strtok(0,[]),strtok(0,[])+9)),
after\done\value\value,
first\value\done\value
--- status
9
=== strtok continuing before any start gives 0
--- program
main,
main\argv\strtok(0,[,])+5
--- status
5
=== strchr points into a text literal that stays readable
--- program
main,
main\argv\getx(strchr([key=value],61)+1)
--- status
118
=== malloc, realloc and free keep the contents
--- program
main,
main\argv\keep(realloc(fill(malloc(8)),4096)),
fill\block\after(setw(block,1234567),block),
keep\block\first(getw(block)-1234500,free(block)),
after\done\value\value,
first\value\done\value
--- status
67
