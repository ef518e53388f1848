# Writes the resource script of the form, the progress window, the About box,
# the menu and the accelerators from the application layer's tables
# (app/form_template.h, app/strings.h), so that no position, control id,
# command id or text is written twice.
#   -D APP_DIR=<src/app> -D OUT=<file.rc>
cmake_minimum_required(VERSION 3.25)

file(READ "${APP_DIR}/form_template.h" templates)
file(READ "${APP_DIR}/strings.h" strings)

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

# A text of a template line: a literal or strings::kName.
function(template_text raw out)
  if(raw MATCHES "^\"(.*)\"$")
    set(text "${CMAKE_MATCH_1}")
  elseif(raw MATCHES "^strings::(k[A-Za-z]+)$")
    if(NOT DEFINED string_${CMAKE_MATCH_1})
      message(FATAL_ERROR "strings.h has no ${CMAKE_MATCH_1}")
    endif()
    set(text "${string_${CMAKE_MATCH_1}}")
  else()
    message(FATAL_ERROR "cannot read the text ${raw}")
  endif()
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
  string(REGEX MATCHALL "{TemplateControl::Kind::[A-Za-z]+, [0-9]+, (\"[^\"]*\"|strings::k[A-Za-z]+), [0-9, ]+[^}]*}"
         lines "${body}")
  set(rc "")
  foreach(line IN LISTS lines)
    string(REGEX MATCH
           "{TemplateControl::Kind::([A-Za-z]+), ([0-9]+), (\"[^\"]*\"|strings::k[A-Za-z]+), (${number}), (${number}), (${number}), (${number})"
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
string(REGEX MATCHALL "\"[^\"]*\"" titles "${CMAKE_MATCH_1}")
string(REGEX MATCH "CommandText kMenuCommands\\[\\] = {(.*)};\n\n/// Menu titles" _ "${strings}")
string(REGEX MATCHALL "{(ID_[A-Z0-9_]+|0), (nullptr|\"[^\"]*\"), \"[^\"]*\", (nullptr|\"[^\"]*\"), \"[^\"]*\", \"[^\"]*\"}" commands
       "${CMAKE_MATCH_1}")
set(menu "")
set(accelerators "")
foreach(title IN LISTS titles)
  string(APPEND menu "    POPUP ${title}\n    BEGIN\n")
  foreach(command IN LISTS commands)
    string(REGEX MATCH "{(ID_[A-Z0-9_]+|0), (nullptr|\"[^\"]*\"), (\"[^\"]*\"), (nullptr|\"([^\"]*)\"), \"([^\"]*)\", \"[^\"]*\"}" _
           "${command}")
    if(NOT CMAKE_MATCH_3 STREQUAL title)
      continue()
    endif()
    set(name ${CMAKE_MATCH_1})
    set(id "${command_id_${name}}")
    set(text "${CMAKE_MATCH_5}")
    set(shortcut "${CMAKE_MATCH_6}")
    if(CMAKE_MATCH_4 STREQUAL "nullptr")
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

file(WRITE "${OUT}.new" "// Generated from app/form_template.h and app/strings.h; do not edit.
#pragma code_page(65001)

IDD_FORM DIALOGEX 0, 0, ${form_w}, ${form_h}
STYLE DS_CONTROL | DS_SETFONT | WS_CHILD | WS_VISIBLE
EXSTYLE WS_EX_CONTROLPARENT
FONT 9, \"Times New Roman\", 400, 0, 0
BEGIN
${form}END

IDD_PROGRESS DIALOGEX 0, 0, ${progress_w}, ${progress_h}
STYLE DS_MODALFRAME | DS_SETFONT | WS_POPUP | WS_CAPTION | WS_SYSMENU
CAPTION \"${string_kProgressTemplateCaption}\"
FONT 10, \"${dialog_font}\", 400, 0, 0
BEGIN
${progress}END

IDD_ABOUTBOX DIALOGEX 0, 0, ${about_w}, ${about_h}
STYLE DS_MODALFRAME | DS_SETFONT | DS_CENTER | WS_POPUP | WS_CAPTION | WS_SYSMENU
CAPTION \"${string_kAboutCaption}\"
FONT 10, \"${string_kAboutFont}\", 400, 0, 0
BEGIN
${about}END

IDR_MAINFRAME MENU
BEGIN
${menu}END

IDR_MAINFRAME ACCELERATORS
BEGIN
${accelerators}END
")
# Rewritten only when it changed, so an unchanged table rebuilds nothing.
file(COPY_FILE "${OUT}.new" "${OUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUT}.new")
