# Writes Qt's translation source of the English interface from the list of
# texts, so that no text is typed twice: each text's Chinese words are the
# source, its name the disambiguation (two texts may share their Chinese
# words and not their English ones), its English words the translation.
#   ts_from_texts(<texts.def> <out.ts>)
include(${CMAKE_CURRENT_LIST_DIR}/../text/read_texts.cmake)

function(ts_from_texts def out)
  read_texts("${def}")
  set(messages "")
  foreach(name IN LISTS text_names)
    foreach(language zh en)
      set(words "${text_${language}_${name}}")
      string(REPLACE "&" "&amp;" words "${words}")
      string(REPLACE "<" "&lt;" words "${words}")
      string(REPLACE ">" "&gt;" words "${words}")
      # The C escapes stand for the characters themselves.
      string(REPLACE "\\n" "\n" words "${words}")
      string(REPLACE "\\\"" "\"" words "${words}")
      set(words_${language} "${words}")
    endforeach()
    string(APPEND messages "    <message>\n        <source>${words_zh}</source>\n        <comment>${name}</comment>\n"
                           "        <translation>${words_en}</translation>\n    </message>\n")
  endforeach()
  string(REPLACE "@SEMICOLON@" ";" messages "${messages}")
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
