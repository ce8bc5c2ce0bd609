0C one
c two
* three
   ! four

