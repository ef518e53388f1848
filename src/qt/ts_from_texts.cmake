# Writes Qt's translation source of the English interface from the list of
# texts, so that no text is typed twice: each text's Chinese words are the
# source, its name the disambiguation (two texts may share their Chinese
# words and not their English ones), its English words the translation.
#   ts_from_texts(<texts.def> <out.ts>)
function(ts_from_texts def out)
  # A semicolon would part CMake's list of lines; it stands in a text as
  # itself again once the line is read.
  file(READ "${def}" content)
  string(REPLACE ";" "@SEMICOLON@" content "${content}")
  string(REPLACE "\n" ";" lines "${content}")
  set(messages "")
  set(count 0)
  foreach(line IN LISTS lines)
    if(NOT line MATCHES "^VARNOK_TEXT\\(")
      continue()
    endif()
    string(REPLACE "@SEMICOLON@" ";" line "${line}")
    if(NOT line MATCHES "^VARNOK_TEXT\\((k[A-Za-z0-9]+), \"([^\"]*)\", \"([^\"]*)\"\\)$")
      message(FATAL_ERROR "cannot read this line of ${def}: ${line}")
    endif()
    set(name "${CMAKE_MATCH_1}")
    set(words_zh "${CMAKE_MATCH_2}")
    set(words_en "${CMAKE_MATCH_3}")
    foreach(var words_zh words_en)
      string(REPLACE "&" "&amp;" ${var} "${${var}}")
      string(REPLACE "<" "&lt;" ${var} "${${var}}")
      string(REPLACE ">" "&gt;" ${var} "${${var}}")
      # The C escape for a line break stands for the break itself.
      string(REPLACE "\\n" "\n" ${var} "${${var}}")
    endforeach()
    string(APPEND messages "    <message>\n        <source>${words_zh}</source>\n        <comment>${name}</comment>\n"
                           "        <translation>${words_en}</translation>\n    </message>\n")
    math(EXPR count "${count} + 1")
  endforeach()
  if(count EQUAL 0)
    message(FATAL_ERROR "no texts read from ${def}")
  endif()
  file(WRITE "${out}.new" "<?xml version=\"1.0\" encoding=\"utf-8\"?>
<!DOCTYPE TS>
<!-- Generated from src/text/texts.def; do not edit. -->
<TS version=\"2.1\" language=\"en_US\" sourcelanguage=\"zh_CN\">
<context>
    <name>varnok</name>
${messages}</context>
</TS>
")
  file(COPY_FILE "${out}.new" "${out}" ONLY_IF_DIFFERENT)
  file(REMOVE "${out}.new")
endfunction()
