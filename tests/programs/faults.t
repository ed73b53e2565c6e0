=== puts of a small integer taken as an address is a fault report, not a silent crash
--- program
x\puts 5
--- end
--- status
128
--- stderr
<ESC>[mError.
 Type: Fault
 Name: puts
The builtin could not read or write memory at an address the program gave it.
\/
=== strlen of an unmapped address names strlen
--- program
x\strlen 12345
--- end
--- status
128
--- stderr
<ESC>[mError.
 Type: Fault
 Name: strlen
The builtin could not read or write memory at an address the program gave it.
\/
=== a memory reader in the first page, which is never mapped, names the reader
--- program
x\gety 8
--- end
--- status
128
--- stderr
<ESC>[mError.
 Type: Fault
 Name: gety
The builtin could not read or write memory at an address the program gave it.
\/
=== a memory writer at an unmapped address writes nothing and names the writer
--- program
x\setw 12345 7
--- end
--- status
128
--- stderr
<ESC>[mError.
 Type: Fault
 Name: setw
The builtin could not read or write memory at an address the program gave it.
\/
=== an address beyond the canonical range is a fault too
--- program
x\getz 9223372036854775807
--- end
--- status
128
--- stderr
<ESC>[mError.
 Type: Fault
 Name: getz
The builtin could not read or write memory at an address the program gave it.
\/
=== memcpy into a valid block from a wild one
--- program
x\memcpy (malloc 8) 4096 8
--- end
--- status
128
--- stderr
<ESC>[mError.
 Type: Fault
 Name: memcpy
The builtin could not read or write memory at an address the program gave it.
\/
=== free of an address that was never a block is reported before the allocator sees it
--- program
x\free 12345
--- end
--- status
128
--- stderr
<ESC>[mError.
 Type: Fault
 Name: free
The builtin could not read or write memory at an address the program gave it.
\/
=== a wild stream handle
--- program
x\fputc 65 12345
--- end
--- status
128
--- stderr
<ESC>[mError.
 Type: Fault
 Name: fputc
The builtin could not read or write memory at an address the program gave it.
\/
=== output already printed and output still buffered come out before the report
--- program
main,
main\args\seq (puts [printed]) (seq (fputc 66 stdout) (getx 5)),
seq\a\b\b
--- end
--- status
128
--- stdout
[printed]
B
--- end
--- stderr
<ESC>[mError.
 Type: Fault
 Name: getx
The builtin could not read or write memory at an address the program gave it.
\/
=== a fault inside fwrite, with standard output's lock taken, still flushes what came before and ends
--- program
main,
main\args\seq (puts [before]) (fwrite 5 1 10 stdout),
seq\a\b\b
--- end
--- status
128
--- stdout
[before]

--- end
--- stderr
<ESC>[mError.
 Type: Fault
 Name: fwrite
The builtin could not read or write memory at an address the program gave it.
\/
=== a socket binding that converts in the process names itself
--- program
x\inet_pton 2 5 (malloc 4)
--- end
--- status
128
--- stderr
<ESC>[mError.
 Type: Fault
 Name: inet_pton
The builtin could not read or write memory at an address the program gave it.
\/
=== a fault in code loaded at run time ends the whole run
--- program
x\load [getx 5]
--- end
--- status
128
--- stderr
<ESC>[mError.
 Type: Fault
 Name: getx
The builtin could not read or write memory at an address the program gave it.
\/
=== load of a wild address names load
--- program
x\load 12345
--- end
--- status
128
--- stderr
<ESC>[mError.
 Type: Fault
 Name: load
The builtin could not read or write memory at an address the program gave it.
\/
=== load of a valid address reads the source there
--- program
x\a{strcpy buf [plus 1 2]}b{setx (plus buf 9) 0}load (plus buf 1),
buf\malloc 20
--- end
--- status
3
=== a block of no bytes is never read, whatever its addresses
--- program
x\plus (memset 9 0 0) (plus (memcpy 7 0 0) (plus (memmove 0 5 0) (plus (memcmp 0 3 0) (memchr 0 1 0))))
--- end
--- status
16
