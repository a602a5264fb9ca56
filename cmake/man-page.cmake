# Makes the man page from its template and from what the program built says it reads (the text
# of "murel --version" below its first line), so the page claims no more than the build does.
#   cmake -DPROGRAM=<murel> -DTEMPLATE=<murel.1.in> -DOUTPUT=<murel.1> -DPROJECT_VERSION=<v>
#         -P man-page.cmake
execute_process(COMMAND ${PROGRAM} --version OUTPUT_VARIABLE version_box RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "${PROGRAM} --version ended with status ${status}")
endif()
string(REGEX REPLACE "^[^\n]*\n" "" reads "${version_box}")
string(STRIP "${reads}" reads)
# A backslash is troff's escape; a line may not begin with its control characters.
string(REPLACE "\\" "\\e" reads "${reads}")
string(REGEX REPLACE "(^|\n)([.'])" "\\1\\\\&\\2" MUREL_READS "${reads}")
configure_file(${TEMPLATE} ${OUTPUT} @ONLY)
