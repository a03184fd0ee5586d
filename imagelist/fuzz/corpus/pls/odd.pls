[PLAYLIST]
 file2 = C:\b.jpg
File1
File3=
version=2
