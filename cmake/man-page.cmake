# Makes the man page from its template and from what the program built says it reads (the text
# of "murel --version" below its first line), so the page claims no more than the build does.
#   cmake -DPROGRAM=<murel> -DTEMPLATE=<murel.1.in> -DOUTPUT=<murel.1> -DPROJECT_VERSION=<v>
#         -P man-page.cmake
execute_process(COMMAND ${PROGRAM} --version OUTPUT_VARIABLE version_box RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "${PROGRAM} --version ended with status ${status}")
endif()
# The box's first line is its caption, the version.
string(FIND "${version_box}" "\n" caption_end)
math(EXPR reads_start "${caption_end} + 1")
string(SUBSTRING "${version_box}" ${reads_start} -1 reads)
string(STRIP "${reads}" reads)
# A backslash is troff's escape; each line begins with the zero-width "\&" so that none begins
# with a control character.
string(REPLACE "\\" "\\e" reads "${reads}")
string(REPLACE "\n" "\n\\&" reads "${reads}")
set(MUREL_READS "\\&${reads}")
configure_file(${TEMPLATE} ${OUTPUT} @ONLY)
