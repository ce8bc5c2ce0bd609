1C     Fixed-form program with a continued INCLUDE and a label
*     second comment style
      PROGRAM SOLVER
      INCLUDE
     & 'params.inc'
      USE GEOM, ONLY: AREA => A
  100 CONTINUE
      X = 1.0 ! trailing comment
      CALL RUN(X,
     1         Y)
      END
