0      PROGRAM P

      USE MYMOD  
      X = 1
      END