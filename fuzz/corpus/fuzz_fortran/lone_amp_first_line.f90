1! a lone & can only open a file
  &  ! c

&use m
end
