junk
[playlist]
C:\a.jpg
NumberOfEntries=1
