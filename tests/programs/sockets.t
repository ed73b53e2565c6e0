=== the constants, and byte order of the low 16 and 32 bits
--- program
main,
main\argv\((htons(4660)=13330)&(ntohs(13330)=4660)&(htons(65536+4660)=13330)&(htonl(1)=16777216)&(ntohl(128)=2147483648)&(addrinfo=48)&(af_unspec=0)&(ai_passive=1)&(sock_stream=1)) 0 1
--- status
0
=== socket with a text for the family gives the absorbing value
--- program
x\socket [2] 1 0
--- status
128
--- stderr
<ESC>[mError.
 Type: Range
 Name: Z
The program must return an integer. Instead we encountered:
Z
\/
=== a stream socket opens and closes, and closing it again fails
--- program
main,
main\argv\s{socket(2,1,0)}(s<0) 1 (closesocket(s)+closesocket(s)+5)
--- status
4
=== sending on a socket that is not connected returns -1 and vorn carries on
--- program
main,
main\argv\s{socket(2,1,0)}(send(s,[abc],5,0)=01) (closesocket(s)+7) 9
--- status
7
