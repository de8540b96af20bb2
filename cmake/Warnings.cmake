# Warnings for our own targets only (outside libraries keep their defaults).
function(zavi_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra)
endfunction()
