# Writes the resource script of the form, the progress window, the About box,
# the menu, the accelerators and a string table per language from the
# application layer's tables (app/form_template.h, app/strings.h) and the
# texts (text/texts.def), so that no position, control id, command id or
# text is written twice. The dialogs and the menu carry the Chinese words;
# the program sets them again from the string tables in the language shown.
#   -D APP_DIR=<src/app> -D TEXT_DIR=<src/text> -D OUT=<file.rc>
cmake_minimum_required(VERSION 3.25)

file(READ "${APP_DIR}/form_template.h" templates)
file(READ "${APP_DIR}/strings.h" strings)
include(${TEXT_DIR}/read_texts.cmake)
read_texts("${TEXT_DIR}/texts.def")
file(READ "${CMAKE_CURRENT_LIST_DIR}/resource.h" resource_h)

# The texts, numbered from IDS_TEXT_FIRST in file order as TextId numbers
# them.
string(REGEX MATCH "#define IDS_TEXT_FIRST ([0-9]+)" _ "${resource_h}")
set(text_number "${CMAKE_MATCH_1}")
if(NOT text_number)
  message(FATAL_ERROR "IDS_TEXT_FIRST not found in resource.h")
endif()
set(table_zh "")
set(table_en "")
foreach(name IN LISTS text_names)
  # rc doubles a quote where C escapes it.
  foreach(language zh en)
    string(REPLACE "\\\"" "\"\"" words "${text_${language}_${name}}")
    string(APPEND table_${language} "    ${text_number}, \"${words}\"\n")
  endforeach()
  math(EXPR text_number "${text_number} + 1")
endforeach()

# Named strings: inline constexpr const char* kName = "...";
string(REGEX MATCHALL "inline constexpr const char\\* k[A-Za-z]+ = \"[^\"]*\";" named "${strings}")
foreach(entry IN LISTS named)
  string(REGEX MATCH "(k[A-Za-z]+) = \"([^\"]*)\"" _ "${entry}")
  set(string_${CMAKE_MATCH_1} "${CMAKE_MATCH_2}")
endforeach()
# The first of the dialog fonts.
string(REGEX MATCH "kDialogFonts\\[\\] = {\"([^\"]*)\"" _ "${strings}")
set(dialog_font "${CMAKE_MATCH_1}")

function(int_constant name out)
  string(REGEX MATCH "inline constexpr int ${name} = ([0-9]+);" _ "${templates}")
  if(NOT CMAKE_MATCH_1)
    message(FATAL_ERROR "${name} not found in form_template.h")
  endif()
  set(${out} ${CMAKE_MATCH_1} PARENT_SCOPE)
endfunction()

# The Chinese words of a text named in a table: &strings::kName, &kName or
# nullptr (no text).
function(template_text raw out)
  if(raw STREQUAL "nullptr")
    set(text "")
  elseif(raw MATCHES "^&(strings::)?(k[A-Za-z0-9]+)$")
    if(NOT DEFINED text_zh_${CMAKE_MATCH_2})
      message(FATAL_ERROR "texts.def has no ${CMAKE_MATCH_2}")
    endif()
    set(text "${text_zh_${CMAKE_MATCH_2}}")
  else()
    message(FATAL_ERROR "cannot read the text ${raw}")
  endif()
  string(REPLACE "@SEMICOLON@" ";" text "${text}")
  set(${out} "${text}" PARENT_SCOPE)
endfunction()

# The controls of template array `name`, as resource statements.
function(template_controls name out)
  string(REGEX MATCH "TemplateControl ${name}\\[\\] = {([^;]*)};" _ "${templates}")
  set(body "${CMAKE_MATCH_1}")
  if(NOT body)
    message(FATAL_ERROR "${name} not found in form_template.h")
  endif()
  set(number "-?[0-9]+")
  string(REGEX MATCHALL "{TemplateControl::Kind::[A-Za-z]+, [0-9]+, (nullptr|&strings::k[A-Za-z0-9]+), [0-9, ]+[^}]*}"
         lines "${body}")
  set(rc "")
  foreach(line IN LISTS lines)
    string(REGEX MATCH
           "{TemplateControl::Kind::([A-Za-z]+), ([0-9]+), (nullptr|&strings::k[A-Za-z0-9]+), (${number}), (${number}), (${number}), (${number})"
           _ "${line}")
    set(kind ${CMAKE_MATCH_1})
    set(id ${CMAKE_MATCH_2})
    set(raw_text "${CMAKE_MATCH_3}")
    set(x ${CMAKE_MATCH_4})
    set(y ${CMAKE_MATCH_5})
    set(box "${CMAKE_MATCH_4}, ${CMAKE_MATCH_5}, ${CMAKE_MATCH_6}, ${CMAKE_MATCH_7}")
    template_text("${raw_text}" text)
    set(right FALSE)
    if(line MATCHES "Align::Right")
      set(right TRUE)
    endif()
    set(vcenter FALSE)
    if(line MATCHES ", true}$")
      set(vcenter TRUE)
    endif()
    if(id EQUAL 0)
      set(id IDC_STATIC_TEXT)
    endif()
    # A line break in a text is the two characters \n in the header; the
    # resource compiler reads the same escape.
    if(kind STREQUAL "Label")
      set(style "SS_NOPREFIX")
      if(vcenter)
        string(APPEND style " | SS_CENTERIMAGE")
      endif()
      if(right)
        string(APPEND rc "    RTEXT \"${text}\", ${id}, ${box}, ${style}\n")
      else()
        string(APPEND rc "    LTEXT \"${text}\", ${id}, ${box}, ${style}\n")
      endif()
    elseif(kind STREQUAL "Group")
      string(APPEND rc "    GROUPBOX \"${text}\", ${id}, ${box}\n")
    elseif(kind STREQUAL "Combo")
      string(APPEND rc "    COMBOBOX ${id}, ${box}, CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP\n")
    elseif(kind STREQUAL "Grid")
      string(APPEND rc "    CONTROL \"\", ${id}, \"VarnokFlexGrid\", WS_TABSTOP | WS_BORDER, ${box}\n")
    elseif(kind STREQUAL "Button")
      if(id EQUAL 1)
        string(APPEND rc "    DEFPUSHBUTTON \"${text}\", ${id}, ${box}\n")
      else()
        string(APPEND rc "    PUSHBUTTON \"${text}\", ${id}, ${box}\n")
      endif()
    elseif(kind STREQUAL "Progress")
      string(APPEND rc "    CONTROL \"\", ${id}, \"msctls_progress32\", WS_BORDER, ${box}\n")
    elseif(kind STREQUAL "Check")
      string(APPEND rc "    AUTOCHECKBOX \"${text}\", ${id}, ${box}, WS_TABSTOP\n")
    elseif(kind STREQUAL "Icon")
      string(APPEND rc "    ICON IDR_MAINFRAME, ${id}, ${x}, ${y}, 21, 20\n")
    else()
      message(FATAL_ERROR "unknown control kind ${kind}")
    endif()
  endforeach()
  list(LENGTH lines count)
  if(count EQUAL 0)
    message(FATAL_ERROR "no controls read from ${name}")
  endif()
  set(${out} "${rc}" PARENT_SCOPE)
endfunction()

int_constant(kFormWidth form_w)
int_constant(kFormHeight form_h)
int_constant(kProgressWidth progress_w)
int_constant(kProgressHeight progress_h)
int_constant(kAboutWidth about_w)
int_constant(kAboutHeight about_h)
template_controls(kFormTemplate form)
template_controls(kProgressTemplate progress)
template_controls(kAboutTemplate about)

# The menu and its shortcuts from the command table, its ids by name from
# the command id enumeration above it.
string(REGEX MATCH "enum CommandId : int {([^}]*)}" _ "${strings}")
string(REGEX MATCHALL "ID_[A-Z0-9_]+ = [0-9]+" command_ids "${CMAKE_MATCH_1}")
foreach(pair IN LISTS command_ids)
  string(REGEX MATCH "(ID_[A-Z0-9_]+) = ([0-9]+)" _ "${pair}")
  set(command_id_${CMAKE_MATCH_1} ${CMAKE_MATCH_2})
endforeach()
string(REGEX MATCH "kMenuTitles\\[\\] = {([^}]*)}" _ "${strings}")
string(REGEX MATCHALL "&k[A-Za-z0-9]+" titles "${CMAKE_MATCH_1}")
string(REGEX MATCH "CommandText kMenuCommands\\[\\] = {(.*)};\n\n/// Menu titles" _ "${strings}")
set(text_ref "(nullptr|&k[A-Za-z0-9]+)")
string(REGEX MATCHALL "{(ID_[A-Z0-9_]+|0), (nullptr|\"[^\"]*\"), &k[A-Za-z0-9]+, ${text_ref}, \"[^\"]*\", ${text_ref}}"
       commands "${CMAKE_MATCH_1}")
set(menu "")
set(accelerators "")
foreach(title IN LISTS titles)
  template_text("${title}" title_text)
  string(APPEND menu "    POPUP \"${title_text}\"\n    BEGIN\n")
  foreach(command IN LISTS commands)
    string(REGEX MATCH "{(ID_[A-Z0-9_]+|0), (nullptr|\"[^\"]*\"), (&k[A-Za-z0-9]+), ${text_ref}, \"([^\"]*)\", ${text_ref}}" _
           "${command}")
    if(NOT CMAKE_MATCH_3 STREQUAL title)
      continue()
    endif()
    set(name ${CMAKE_MATCH_1})
    set(id "${command_id_${name}}")
    set(raw_text "${CMAKE_MATCH_4}")
    set(shortcut "${CMAKE_MATCH_5}")
    template_text("${raw_text}" text)
    if(raw_text STREQUAL "nullptr")
      string(APPEND menu "        MENUITEM SEPARATOR\n")
      continue()
    endif()
    if(id STREQUAL "")
      message(FATAL_ERROR "${name} is not in the command id enumeration")
    endif()
    set(flags "")
    if(name STREQUAL "ID_FILE_MRU_FILE1") # the recent-file placeholder stands greyed
      set(flags ", GRAYED")
    endif()
    if(shortcut)
      string(APPEND menu "        MENUITEM \"${text}\\t${shortcut}\", ${id}${flags}\n")
      string(REGEX MATCH "^Ctrl\\+(.)$" _ "${shortcut}")
      string(APPEND accelerators "    \"${CMAKE_MATCH_1}\", ${id}, VIRTKEY, CONTROL, NOINVERT\n")
    else()
      string(APPEND menu "        MENUITEM \"${text}\", ${id}${flags}\n")
    endif()
  endforeach()
  string(APPEND menu "    END\n")
endforeach()

string(REPLACE "@SEMICOLON@" ";" table_zh "${table_zh}")
string(REPLACE "@SEMICOLON@" ";" table_en "${table_en}")

file(WRITE "${OUT}.new" "// Generated from app/form_template.h, app/strings.h and text/texts.def; do not edit.
#pragma code_page(65001)

IDD_FORM DIALOGEX 0, 0, ${form_w}, ${form_h}
STYLE DS_CONTROL | DS_SETFONT | WS_CHILD | WS_VISIBLE
EXSTYLE WS_EX_CONTROLPARENT
FONT 9, \"Times New Roman\", 400, 0, 0
BEGIN
${form}END

IDD_PROGRESS DIALOGEX 0, 0, ${progress_w}, ${progress_h}
STYLE DS_MODALFRAME | DS_SETFONT | WS_POPUP | WS_CAPTION | WS_SYSMENU
CAPTION \"${text_zh_kProgressTemplateCaption}\"
FONT 10, \"${dialog_font}\", 400, 0, 0
BEGIN
${progress}END

IDD_ABOUTBOX DIALOGEX 0, 0, ${about_w}, ${about_h}
STYLE DS_MODALFRAME | DS_SETFONT | DS_CENTER | WS_POPUP | WS_CAPTION | WS_SYSMENU
CAPTION \"${text_zh_kAboutCaption}\"
FONT 10, \"${string_kAboutFont}\", 400, 0, 0
BEGIN
${about}END

IDR_MAINFRAME MENU
BEGIN
${menu}END

IDR_MAINFRAME ACCELERATORS
BEGIN
${accelerators}END

// The texts by TextId, from IDS_TEXT_FIRST on, in each language.
LANGUAGE LANG_CHINESE, SUBLANG_CHINESE_SIMPLIFIED
STRINGTABLE
BEGIN
${table_zh}END

LANGUAGE LANG_ENGLISH, SUBLANG_ENGLISH_US
STRINGTABLE
BEGIN
${table_en}END

LANGUAGE LANG_CHINESE, SUBLANG_CHINESE_SIMPLIFIED
")
# Rewritten only when it changed, so an unchanged table rebuilds nothing.
file(COPY_FILE "${OUT}.new" "${OUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUT}.new")
