# Writes the Qt Linguist file of the kinds' English names from the engine's
# catalogue, as weltnetz-proj --list --lang en prints it: the German display
# name (fifth column) is the source, the English name (sixth) its
# translation, in the context "Projection" that the window looks them up in.
#   cmake -DPROJ=weltnetz-proj -DOUTPUT=weltnetz_kinds_en.ts -P KindNames.cmake
foreach(var PROJ OUTPUT)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "KindNames.cmake: ${var} is not set")
  endif()
endforeach()

execute_process(COMMAND ${PROJ} --list --lang en
  OUTPUT_VARIABLE list ERROR_VARIABLE error RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "KindNames.cmake: '${PROJ} --list --lang en' exited with ${rc}:\n${error}")
endif()

function(xml_text out text)
  string(REPLACE "&" "&amp;" text "${text}")
  string(REPLACE "<" "&lt;" text "${text}")
  string(REPLACE ">" "&gt;" text "${text}")
  set(${out} "${text}" PARENT_SCOPE)
endfunction()

set(messages "")
set(count 0)
string(REPLACE "\n" ";" lines "${list}")
foreach(line IN LISTS lines)
  if(line STREQUAL "")
    continue()
  endif()
  string(REPLACE "\t" ";" columns "${line}")
  list(LENGTH columns n)
  if(NOT n EQUAL 6)
    message(FATAL_ERROR "KindNames.cmake: not six columns: '${line}'")
  endif()
  list(GET columns 3 german)
  list(GET columns 5 english)
  if(german STREQUAL "" OR english STREQUAL "")
    message(FATAL_ERROR "KindNames.cmake: a name is missing: '${line}'")
  endif()
  xml_text(german "${german}")
  xml_text(english "${english}")
  string(APPEND messages
    "    <message>\n"
    "        <source>${german}</source>\n"
    "        <translation>${english}</translation>\n"
    "    </message>\n")
  math(EXPR count "${count} + 1")
endforeach()
if(count EQUAL 0)
  message(FATAL_ERROR "KindNames.cmake: '${PROJ} --list --lang en' listed no kind")
endif()

# Written only when it changes, so that nothing after it is built again
# for nothing.
file(CONFIGURE OUTPUT ${OUTPUT} @ONLY CONTENT
"<?xml version=\"1.0\" encoding=\"utf-8\"?>
<!DOCTYPE TS>
<TS version=\"2.1\" language=\"en\" sourcelanguage=\"de\">
<context>
    <name>Projection</name>
${messages}</context>
</TS>
")
