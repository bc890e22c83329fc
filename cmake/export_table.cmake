# Reads exports/commands.table and writes what is made from it into <out>:
#   hostkit.def                the DLL's export table: each decorated name mapped to its extern "C" function
#   exports/export_decls.h     the prototype and failure value of each of those functions (the DLL's side)
#   exports/export_table.h     the rows as data, with their decorated names (the tests' side)
# Configure runs again whenever the table changes.

# The decorated name of a command: ?<Name>@@YA<result><args>@Z, or ?<Name>@@YA<result>XZ without arguments.
# The first string argument is PBD; later ones are the back-reference 0 to it.
function(hostkit_decorate out name result args)
  if(result STREQUAL "pointer")
    set(${out} "${name}" PARENT_SCOPE)  # the host link keeps its plain name
    return()
  endif()
  set(codes_int H)
  set(codes_void X)
  set(codes_string PAD)
  set(code "?${name}@@YA${codes_${result}}")
  if(args STREQUAL "-")
    string(APPEND code "XZ")
  else()
    set(seen_string FALSE)
    foreach(arg IN LISTS args)
      if(arg STREQUAL "int")
        string(APPEND code "H")
      elseif(arg STREQUAL "long")
        string(APPEND code "J")
      elseif(arg STREQUAL "string" AND seen_string)
        string(APPEND code "0")
      elseif(arg STREQUAL "string")
        string(APPEND code "PBD")
        set(seen_string TRUE)
      else()
        message(FATAL_ERROR "commands.table: ${name} has an argument of unknown type ${arg}")
      endif()
    endforeach()
    string(APPEND code "@Z")
  endif()
  set(${out} "${code}" PARENT_SCOPE)
endfunction()

# Writes only when the text differs, so that a configure run does not rebuild what includes the files.
function(hostkit_write_if_changed path text)
  file(WRITE ${path}.new "${text}")
  file(COPY_FILE ${path}.new ${path} ONLY_IF_DIFFERENT)
  file(REMOVE ${path}.new)
endfunction()

function(hostkit_export_table table out)
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${table})
  file(STRINGS ${table} lines)
  set(c_result_int "int")
  set(c_result_void "void")
  set(c_result_string "char*")
  set(c_result_pointer "std::intptr_t")
  set(c_arg_int "int")
  set(c_arg_long "long")
  set(c_arg_string "const char*")
  set(c_arg_lookup "hostkit::host::LookupFn")

  set(def "; Made by CMake from exports/commands.table: edit the table, not this file.\nLIBRARY hostkit.dll\nEXPORTS\n")
  set(decls "")
  set(rules "")
  set(rows "")
  set(declared "")
  foreach(line IN LISTS lines)
    if(line MATCHES "^[ \t]*(#|$)")
      continue()
    endif()
    string(STRIP "${line}" line)
    string(REGEX REPLACE "[ \t]+" ";" cells "${line}")
    list(LENGTH cells count)
    if(NOT count EQUAL 5)
      message(FATAL_ERROR "commands.table: a row needs 5 cells: ${line}")
    endif()
    list(GET cells 0 name)
    list(GET cells 1 result)
    list(GET cells 2 arg_text)
    list(GET cells 3 symbol)
    list(GET cells 4 failure)
    if(NOT DEFINED c_result_${result})
      message(FATAL_ERROR "commands.table: ${name} has a result of unknown type ${result}")
    endif()
    # Failures that follow from the result type must say so, so that the table and the docs agree.
    if(result STREQUAL "string" AND NOT failure STREQUAL "\"\"")
      message(FATAL_ERROR "commands.table: the string command ${name} fails with \"\"")
    elseif(result STREQUAL "void" AND NOT failure STREQUAL "-")
      message(FATAL_ERROR "commands.table: the void command ${name} has no failure value: -")
    elseif(result MATCHES "^(int|pointer)$" AND NOT failure MATCHES "^(-?[0-9]+|status)$")
      message(FATAL_ERROR "commands.table: ${name} needs an int failure value or status")
    endif()
    string(REPLACE "," ";" args "${arg_text}")
    hostkit_decorate(decorated ${name} ${result} "${args}")

    if(result STREQUAL "pointer")
      string(APPEND def "  ${name}\n")
    else()
      string(APPEND def "  \"${decorated}\" = ${symbol}\n")
    endif()
    string(REPLACE "\"" "\\\"" failure_literal "${failure}")
    string(APPEND rows "    {\"${name}\", \"${decorated}\", \"${result}\", \"${arg_text}\", \"${symbol}\", \"${failure_literal}\"},\n")

    # One prototype per function, however many rows export it.
    if(symbol IN_LIST declared)
      continue()
    endif()
    list(APPEND declared ${symbol})
    set(params "")
    if(NOT arg_text STREQUAL "-")
      foreach(arg IN LISTS args)
        list(APPEND params "${c_arg_${arg}}")
      endforeach()
    endif()
    list(JOIN params ", " params)
    string(APPEND decls "extern \"C\" ${c_result_${result}} ${symbol}(${params});\n")
    if(failure STREQUAL "status")
      set(failure "kStatusFailure")
    endif()
    if(result MATCHES "^(int|pointer)$")
      string(APPEND rules "template <>\nstruct Row<&::${symbol}> {\n  static constexpr ${c_result_${result}} failure = ${failure};\n};\n")
    else()
      string(APPEND rules "template <>\nstruct Row<&::${symbol}> {};\n")
    endif()
  endforeach()

  hostkit_write_if_changed(${out}/hostkit.def "${def}")
  hostkit_write_if_changed(${out}/exports/export_decls.h
"// Made by CMake from exports/commands.table: edit the table, not this file. Included by exports/command.h.
#pragma once
#include <cstdint>

${decls}
namespace hostkit::exports {

${rules}
}  // namespace hostkit::exports
")
  hostkit_write_if_changed(${out}/exports/export_table.h
"// Made by CMake from exports/commands.table: edit the table, not this file.
#pragma once
#include <string_view>

namespace hostkit::exports {

struct ExportRow {
  std::string_view name;       // the command's name in scripts
  std::string_view decorated;  // the name in the DLL's export directory
  std::string_view result;     // int, string, void, pointer
  std::string_view args;       // comma-separated types, - for none
  std::string_view symbol;     // the extern \"C\" function behind it
  std::string_view failure;    // an int, status, \"\" or -
};

inline constexpr ExportRow kExportTable[] = {
${rows}};

}  // namespace hostkit::exports
")
endfunction()
