=== --help prints the usage text on stdout
--- argv
--help
--- stdout
Usage: vorn [option ...] file [arg ...]
       vorn [option ...] - [arg ...]
       vorn [option ...] -e text [arg ...]
       vorn -i [file]

Runs a program written in the vorn language: loads and checks it, evaluates its entry
applied to the address of the arguments, and exits with the integer it returns.

Options (they come before the program):
  -           read the program from standard input (the program then finds its own
              input at end of file)
  -e text     the program is the text; the words after it are its arguments
  --check     load and check only: no output and status 0 when the program would run,
              otherwise the report a run would give
  --explain   after a report, show the source line it points at (always done when
              stderr is a terminal)
  -i [file]   interactive session on the file's definitions: a line starting with
              name\ defines, any other line is evaluated and its value printed;
              :quit or end of input ends it, Ctrl-C interrupts an evaluation
  --help      print this text
  --version   print the version
  --          end of options: the next word is the program file even if it starts
              with - (or write ./-name)

A first line starting with #! is skipped, so a program can be an executable script.

Exit status: the program's result (its low 8 bits); 1 for a usage error; 128 when a
failure was reported on stderr.

Documentation: man vorn; the language guide language.md in the docs folder of the
source tree or of the installation (share/doc/vorn).
=== --help answers whatever other options stand before it
--- argv
--check
-i
--help
--- stdout
Usage: vorn [option ...] file [arg ...]
       vorn [option ...] - [arg ...]
       vorn [option ...] -e text [arg ...]
       vorn -i [file]

Runs a program written in the vorn language: loads and checks it, evaluates its entry
applied to the address of the arguments, and exits with the integer it returns.

Options (they come before the program):
  -           read the program from standard input (the program then finds its own
              input at end of file)
  -e text     the program is the text; the words after it are its arguments
  --check     load and check only: no output and status 0 when the program would run,
              otherwise the report a run would give
  --explain   after a report, show the source line it points at (always done when
              stderr is a terminal)
  -i [file]   interactive session on the file's definitions: a line starting with
              name\ defines, any other line is evaluated and its value printed;
              :quit or end of input ends it, Ctrl-C interrupts an evaluation
  --help      print this text
  --version   print the version
  --          end of options: the next word is the program file even if it starts
              with - (or write ./-name)

A first line starting with #! is skipped, so a program can be an executable script.

Exit status: the program's result (its low 8 bits); 1 for a usage error; 128 when a
failure was reported on stderr.

Documentation: man vorn; the language guide language.md in the docs folder of the
source tree or of the installation (share/doc/vorn).
=== a word after the program is the program's, even --help
--- program
main,
main\args\strlen(getw args)
--- args
--help
--- status
6
=== an unknown option is a usage error naming it
--- argv
-x
program.vn
--- status
1
--- stderr
Error.
 Type: Usage
 Name: "-x"
Unknown option; vorn --help lists the options.
\/
=== an option's name is escaped like a path
--- argv
--bad[<HEX:09>]
--- status
1
--- stderr
Error.
 Type: Usage
 Name: "--bad[5B][09][5D]"
Unknown option; vorn --help lists the options.
\/
=== options without a program give the usage report
--- argv
--explain
--- status
1
--- stderr
Error.
 Type: Usage
Usage: vorn file arg0 arg1 arg2 ...
\/
=== -- alone gives the usage report
--- argv
--
--- status
1
--- stderr
Error.
 Type: Usage
Usage: vorn file arg0 arg1 arg2 ...
\/
=== -e needs the program text after it
--- argv
-e
--- status
1
--- stderr
Error.
 Type: Usage
 Name: "-e"
The option needs the program text after it.
\/
=== --check and -i exclude each other
--- argv
--check
-i
program.vn
--- status
1
--- stderr
Error.
 Type: Usage
 Name: "-i"
The options --check and -i exclude each other.
\/
=== an interactive session takes no program arguments
--- argv
-i
program.vn
extra
--- status
1
--- stderr
Error.
 Type: Usage
 Name: "extra"
An interactive session takes no program arguments.
\/
=== a program file whose name starts with a dash runs after --
--- setup
printf 'main,main\\args\\7' > -dash.vn
--- argv
--
-dash.vn
--- status
7
=== or as ./-name
--- setup
printf 'main,main\\args\\7' > -dash.vn
--- argv
./-dash.vn
--- status
7
=== after -- even a lone dash is a file name
--- argv
--
-
--- status
128
--- stderr
Error.
 Type: Start
 Name: "-"
Could not read program file.
\/
=== - reads the program from standard input and passes the arguments on
--- argv
-
hello
--- stdin
main,
main\args\strlen(getw args)
--- status
5
=== a program read from standard input finds its own input at end of file
--- argv
-
--- stdin
main,
main\args\getchar+2
--- status
1
=== an empty standard input is the empty program
--- argv
-
--- status
128
--- stderr
<ESC>[mError.
 Type: Alive
 Name: }
Alive function [TOP] references undefined [}].
\/
=== -e gives the program text, and the words after it are the program's arguments
--- argv
-e
main,main\args\strlen(getw args)+strlen(getw(args+8))
-x
abc
--- status
5
=== -e with a failing program gives the report a file would
--- argv
-e
(]
--- status
128
--- stderr
<ESC>[mError.
 Type: Match
Match[_____]Doesn't fit ']' at [____a].
\/
=== --check passes a good program without running it
--- argv
--check
program.vn
--- program
main,
main\args\puts [never printed] spin 0,
spin\n\spin(n+1)
--- status
0
=== --check gives the report a run would give
--- options
--check
--- program
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
=== --check reports what loading refuses
--- options
--check
--- program
main,
x\1
--- status
128
--- stderr
<ESC>[mError.
 Type: Lower
Single lowercase letters (x) cannot be defined as global variables.
\/
=== --check does not evaluate, so a result that is no integer passes
--- options
--check
--- program
main,
main\args\[text]
--- status
0
=== --check of a file that cannot be read gives the start report
--- argv
--check
missing.vn
--- status
128
--- stderr
Error.
 Type: Start
 Name: "missing.vn"
Could not read program file.
\/
=== --check reads a program from standard input
--- argv
--check
-
--- stdin
main,main\args\0
--- status
0
=== a first line starting with #! is skipped
--- program
#!/usr/bin/env vorn
main,
main\args\strlen(getw args)
--- args
four
--- status
4
=== a #! line without a newline is the whole (empty) program
--- program
#!/usr/bin/env vorn
--- end
--- status
128
--- stderr
<ESC>[mError.
 Type: Alive
 Name: }
Alive function [TOP] references undefined [}].
\/
=== positions in reports still count from the top of the file, the #! line included
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
=== only the first line may be a #! line
--- program
main,
#!/bin/sh
main\args\0
--- status
128
--- stderr
<ESC>[mError.
 Type: Alive
 Name: main
Alive function [TOP] references undefined [main].
\/
=== a #! script runs by itself
--- setup
printf '#!%s\nmain,main\\args\\9\n' "$VORN_BINARY" > script.vn && chmod +x script.vn
--- program
main,main\args\system(getw args)/256
--- args
./script.vn
--- status
9
