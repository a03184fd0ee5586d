[playlist]
PlaylistName=Farther Afield playlist
File1=C:\pics\beach.jpg
Title1=beach
File2=sun.png
Title2=sun
NumberOfEntries=2
Version=2