# cmake -DIN=<UTF-8 source> -DOUT=<shipped file> [-DICONV=<iconv>] -P ToGbk.cmake
# Writes the shipped form of a text data file: GBK (code page 936) with CR LF
# line ends. iconv fails on a character that GBK cannot hold, and so does the build.
if(NOT ICONV)
  set(ICONV iconv)
endif()
file(READ "${IN}" text)
string(REPLACE "\r\n" "\n" text "${text}")
string(REPLACE "\n" "\r\n" text "${text}")
get_filename_component(dir "${OUT}" DIRECTORY)
file(MAKE_DIRECTORY "${dir}")
set(tmp "${OUT}.utf8")
file(WRITE "${tmp}" "${text}")
execute_process(COMMAND ${ICONV} -f UTF-8 -t GBK "${tmp}"
                OUTPUT_FILE "${OUT}.part" RESULT_VARIABLE rc ERROR_VARIABLE err)
file(REMOVE "${tmp}")
if(NOT rc EQUAL 0)
  file(REMOVE "${OUT}.part")
  message(FATAL_ERROR "${IN}: cannot be written in GBK: ${err}")
endif()
file(RENAME "${OUT}.part" "${OUT}")
