0 #include " 1
      END