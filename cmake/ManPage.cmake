# Writes a manual page at build time (cmake -P), from the program itself
# so the page cannot drift from its --help:
#   MODE=table  PROG --man DATE prints the page (tsm-discover's usage table)
#   MODE=help   the page wraps the simulator's own --help texts
# -DPROG= -DOUT= -DVERSION= -DMODE=
string(TIMESTAMP date "%Y-%m-%d" UTC)
if(MODE STREQUAL "table")
  execute_process(COMMAND ${PROG} --man ${date} OUTPUT_FILE ${OUT}.tmp RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "${PROG} --man failed: ${rc}")
  endif()
  file(RENAME ${OUT}.tmp ${OUT})
  return()
endif()

# Help text as a no-fill block: backslashes escaped, hyphens as minus
# signs, a leading period or quote kept from being read as a request.
function(help_block var)
  execute_process(COMMAND ${PROG} ${ARGN} OUTPUT_VARIABLE text RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "${PROG} ${ARGN} failed: ${rc}")
  endif()
  string(REPLACE "\\" "\\e" text "${text}")
  string(REPLACE "-" "\\-" text "${text}")
  string(REGEX REPLACE "(^|\n)([.'])" "\\1\\\\&\\2" text "${text}")
  set(${var} ".nf\n${text}.fi\n" PARENT_SCOPE)
endfunction()

help_block(client --help)
help_block(generate generate-site --help)
file(WRITE ${OUT}.tmp ".TH DSMADMC\\-SIM 1 \"${date}\" \"tsm\\-discover ${VERSION}\" \"User Commands\"
.nh
.SH NAME
dsmadmc\\-sim \\- the simulated TSM administrative client that tsm\\-discover's demo runs
.SH DESCRIPTION
Installed as
.I dsmadmc
in tsm\\-discover's libexec folder, never on the PATH, so it cannot be taken
for the real client. It answers administrative commands the way a TSM server
and its client would, from a site folder of CSV tables, and writes the same
output files.
.SH USAGE
${client}.SS generate\\-site
${generate}.SH SEE ALSO
tsm\\-discover(1)
")
file(RENAME ${OUT}.tmp ${OUT})
