    1 X=1
12345 Y=2
    0 Z=3
&     W=4
     6CONT
    	A=1
