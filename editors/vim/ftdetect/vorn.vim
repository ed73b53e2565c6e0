" vorn programs end in .vn.
autocmd BufRead,BufNewFile *.vn setfiletype vorn
