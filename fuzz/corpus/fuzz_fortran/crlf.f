0      PROGRAM P
      USE M1
      INCLUDE 'c.inc'
      END
