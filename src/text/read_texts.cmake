# Reads the list of texts for the build's generators (Qt's translation
# source, the Windows string tables), so that both read it alike.
#   read_texts(<texts.def>) sets, in the caller's scope, text_names (in file
#   order, the order TextId numbers them) and text_zh_<name>, text_en_<name>
#   with each literal as written: C escapes kept, and a ";" standing as
#   @SEMICOLON@, since it would part a CMake list; the writer puts it back.
function(read_texts def)
  file(READ "${def}" texts)
  string(REPLACE ";" "@SEMICOLON@" texts "${texts}")
  set(literal "\"((\\\\.|[^\"\\\\])*)\"")
  string(REGEX MATCHALL "\nVARNOK_TEXT\\((k[A-Za-z0-9]+), ${literal}, ${literal}\\)" entries "${texts}")
  string(REGEX MATCHALL "\nVARNOK_TEXT\\(" lines "${texts}")
  list(LENGTH entries count)
  list(LENGTH lines written)
  if(count EQUAL 0 OR NOT count EQUAL written)
    message(FATAL_ERROR "${def}: ${count} of its ${written} texts are readable as VARNOK_TEXT(kName, \"...\", \"...\")")
  endif()
  set(names "")
  foreach(entry IN LISTS entries)
    string(REGEX MATCH "VARNOK_TEXT\\((k[A-Za-z0-9]+), ${literal}, ${literal}\\)" _ "${entry}")
    list(APPEND names ${CMAKE_MATCH_1})
    set(text_zh_${CMAKE_MATCH_1} "${CMAKE_MATCH_2}" PARENT_SCOPE)
    set(text_en_${CMAKE_MATCH_1} "${CMAKE_MATCH_4}" PARENT_SCOPE)
  endforeach()
  set(text_names "${names}" PARENT_SCOPE)
endfunction()
