" Vim syntax file for vorn programs (*.vn).
" The language has no keywords and no comments: names, the Prelude's single capital letters,
" numbers, text literals in square brackets (which nest), one-character operators and the two
" binders, the backslash of a function and the wing of a binding.

if exists("b:current_syntax")
  finish
endif

syntax case match
" A text literal can span many lines and looks like any other bracket from inside, so always
" colour from the top of the file; programs are small.
syntax sync fromstart

" Names are runs of a..z and _; every capital letter is a Prelude combinator on its own (BKK is
" three of them), and a run of digits is a number even right after a name (a2 is a applied to 2).
syntax match vornName       /[_a-z]\+/
syntax match vornPrelude    /[A-Z]/
syntax match vornNumber     /[0-9]\+/

" A name right before a backslash is bound there: a parameter or a lambda's variable. At the start
" of a line it is the name of the definition that the line opens (name\..., or name()\...).
syntax match vornBound      /[_a-z]\+\ze\\/
syntax match vornDefinition /^[_a-z]\+\ze\%(()\)\?\\/

syntax match vornOperator   /[;?&|=<>#@+:.*\/%'^~!"$`-]/
syntax match vornBinder     /[\\{}]/
syntax match vornDelimiter  /[(),]/

" Inside a text only square brackets count, and they nest: [a [b] c] is one text. [p], [q] and
" [r] stand for a line feed, [ and ] when the text becomes bytes.
syntax region vornText      start=/\[/ end=/\]/ contains=vornText,vornTextEscape
syntax match vornTextEscape /\[[pqr]\]/ contained

highlight default link vornPrelude    Type
highlight default link vornNumber     Number
highlight default link vornBound      Identifier
highlight default link vornDefinition Function
highlight default link vornOperator   Operator
highlight default link vornBinder     Statement
highlight default link vornDelimiter  Delimiter
highlight default link vornText       String
highlight default link vornTextEscape SpecialChar

let b:current_syntax = "vorn"
