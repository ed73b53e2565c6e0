=== a path that does not exist gives the start report
--- setup
rm -f program.vn
--- program
--- status
128
--- stderr
Error.
 Type: Start
 Name: "program.vn"
Could not read program file.
\/
=== a directory opens but cannot be read
--- setup
rm -f program.vn && mkdir program.vn
--- program
--- status
128
--- stderr
Error.
 Type: Start
 Name: "program.vn"
Could not read program file.
\/
=== vorn alone prints the usage report
--- bare
--- status
1
--- stderr
Error.
 Type: Usage
Usage: vorn file arg0 arg1 arg2 ...
\/
=== a tab, brackets and high bytes in the path are escaped
--- path
no<HEX:09>such[dir]/f<HEX:c3><HEX:7f>.vn
--- program
--- status
128
--- stderr
Error.
 Type: Start
 Name: "no[09]such[5B]dir[5D]/f[C3][7F].vn"
Could not read program file.
\/
=== a path with a space is unchanged
--- path
no such.vn
--- program
--- status
128
--- stderr
Error.
 Type: Start
 Name: "no such.vn"
Could not read program file.
\/
