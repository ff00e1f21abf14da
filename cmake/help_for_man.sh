#!/bin/sh
# Runs PROGRAM --help for help2man and gives its text the shape help2man reads: the usage line
# as "Usage:" and a second one as "or:", the exit statuses as an indented paragraph under a
# heading of their own, and without the compiler's banner line (the page is about the program,
# not one run of it).
#   sh cmake/help_for_man.sh PROGRAM --help
"$1" "$2" | awk '
  /^Tunnelsmith version: / { next }
  usage && /^ +tunnelsmith/ { sub(/^ +/, "  or: ") }
  { usage = 0 }
  /^[Uu]sage: / { sub(/^usage: /, "Usage: "); usage = 1 }
  /^Exit status/ {
    statuses = 1
    print "Exit status:"
    note = $0
    sub(/^Exit status */, "", note)
    sub(/:.*/, "", note)
    sub(/^Exit status[^:]*: */, "")
    if (note != "") { gsub(/[()]/, "", note); $0 = toupper(substr(note, 1, 1)) substr(note, 2) ": " $0 }
  }
  /^$/ { statuses = 0 }
  { print (statuses ? "  " $0 : $0) }'
