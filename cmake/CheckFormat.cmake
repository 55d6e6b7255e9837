# Checks that every C++ file of the project is laid out as .clang-format says, without changing
# any: clang-format-14 in dry-run mode, warnings as errors. Run by CTest as Format:
#   cmake -DCLANG_FORMAT=<clang-format-14> -DSOURCE_DIR=<root> -P cmake/CheckFormat.cmake
# The version is pinned: another clang-format lays some constructs out differently.
if(NOT CLANG_FORMAT)
  message(FATAL_ERROR "clang-format-14 was not found (scripts/setup.sh installs it)")
endif()
set(_folders app race records stage engine platform resultcode server tools tests bench)
set(_files)
foreach(_f ${_folders})
  file(GLOB_RECURSE _found ${SOURCE_DIR}/${_f}/*.cpp ${SOURCE_DIR}/${_f}/*.h)
  list(APPEND _files ${_found})
endforeach()
list(FILTER _files EXCLUDE REGEX "/tests/fuzz/corpus/")
list(LENGTH _files _count)
execute_process(COMMAND ${CLANG_FORMAT} --style=file --dry-run --Werror ${_files}
                WORKING_DIRECTORY ${SOURCE_DIR}
                RESULT_VARIABLE _result)
if(NOT _result EQUAL 0)
  message(FATAL_ERROR "Some of the ${_count} C++ files differ from .clang-format (see above); "
                      "clang-format-14 -i <file> lays one out.")
endif()
message(STATUS "${_count} C++ files follow .clang-format")
