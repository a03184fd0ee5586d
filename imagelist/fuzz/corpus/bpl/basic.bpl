<item Playstring="file:D:\b.png" />
<item playstring = " FILE: rel.jpg" />
