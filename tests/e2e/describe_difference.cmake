# quen_describe_difference(CAPTURE GOLDEN OUT): where a capture that differs from
# its golden copy differs, as a sentence for the failure message, so a run that
# fails on another machine says what moved without its pictures at hand: the
# box around every changed pixel and how many changed. Empty when ImageMagick
# is not there or either file is no picture.
function(quen_describe_difference capture golden out)
  set(${out} "" PARENT_SCOPE)
  find_program(quen_convert convert)
  find_program(quen_compare compare)
  if(NOT quen_convert OR NOT quen_compare OR NOT capture MATCHES "\\.png$")
    return()
  endif()
  execute_process(COMMAND ${quen_convert} ${golden} ${capture} -compose difference -composite
      -threshold 0 -trim -format "%wx%h%X%Y" info:
    OUTPUT_VARIABLE box ERROR_QUIET RESULT_VARIABLE boxed)
  # compare prints the count on standard error and ends with 1 when they differ.
  execute_process(COMMAND ${quen_compare} -metric AE ${golden} ${capture} null:
    ERROR_VARIABLE changed OUTPUT_QUIET RESULT_VARIABLE ignored)
  string(STRIP "${changed}" changed)
  if(boxed EQUAL 0 AND box)
    set(${out} "; ${changed} pixels differ, inside ${box} (width x height + left + top)" PARENT_SCOPE)
  endif()
endfunction()
