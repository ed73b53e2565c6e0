=== a closing bracket of the wrong kind
--- program
(]
--- status
128
--- stderr
<ESC>[mError.
 Type: Match
Match[_____]Doesn't fit ']' at [____a].
\/
=== a lone closing parenthesis
--- program
)
--- status
128
--- stderr
<ESC>[mError.
 Type: Match
Match[_____]Left dangling parenthesis.
\/
=== a lone opening wing
--- program
{
--- status
128
--- stderr
<ESC>[mError.
 Type: Match
Match[_____]Right dangling wing.
\/
=== a parenthesis closed only inside a text literal
--- program
([)]
--- status
128
--- stderr
<ESC>[mError.
 Type: Match
Match[_____]Right dangling parenthesis.
\/
=== the position code counts raw bytes, blanks included
--- program
main,
  hh\x\x,
  gg\(x]
--- status
128
--- stderr
<ESC>[mError.
 Type: Match
Match[____t]Doesn't fit ']' at [____w].
\/
=== a comma in a grouping parenthesis
--- program
(a,b)
--- status
128
--- stderr
<ESC>[mError.
 Type: Comma
Comma[____b]Comma encountered in parenthesization which is not a call list.
\/
=== a comma in a parenthesis after a space
--- program
h (a,b)
--- status
128
--- stderr
<ESC>[mError.
 Type: Comma
Comma[____d]Comma encountered in parenthesization which is not a call list.
\/
=== a comma in a parenthesis right inside another
--- program
((C,1))
--- status
128
--- stderr
<ESC>[mError.
 Type: Comma
Comma[____c]Comma encountered in parenthesization which is not a call list.
\/
=== a comma in a parenthesis after a unary operator
--- program
main,gg\x\!(x,x)
--- status
128
--- stderr
<ESC>[mError.
 Type: Comma
Comma[____m]Comma encountered in parenthesization which is not a call list.
\/
=== a single lowercase letter cannot be a global
--- program
,x\1
--- status
128
--- stderr
<ESC>[mError.
 Type: Lower
Single lowercase letters (x) cannot be defined as global variables.
\/
=== a builtin cannot be redefined
--- program
,plus\K
--- status
128
--- stderr
<ESC>[mError.
 Type: Built
Built in function [plus] cannot be re-defined.
\/
=== the backslash operator cannot be redefined
--- program
main,
[\]\a\b\a
--- status
128
--- stderr
<ESC>[mError.
 Type: Built
Built in function [\] cannot be re-defined.
\/
