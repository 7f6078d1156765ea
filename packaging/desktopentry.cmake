# Run at install time: writes the desktop entry with the full path of the
# launcher below the prefix being installed to, so that the menu starts the
# game whatever the prefix and whether or not it is on the PATH. Needs
# `template`, `launcher` (the launcher's path below the prefix) and
# `staging` (a directory of the build to write the entry in) set.

set(exec "${CMAKE_INSTALL_PREFIX}/${launcher}")
# A path with characters the desktop entry format treats specially is
# quoted, and those characters escaped, as the format asks.
if(NOT exec MATCHES "^[A-Za-z0-9/._+-]+$")
  string(REGEX REPLACE "([\"`$\\\\])" "\\\\\\1" exec "${exec}")
  string(REPLACE "\\" "\\\\" exec "${exec}")
  string(REPLACE "%" "%%" exec "${exec}")
  set(exec "\"${exec}\"")
endif()
file(READ "${template}" entry)
string(REPLACE "@MARSFLYER_EXEC@" "${exec}" entry "${entry}")
# One entry per prefix, so that installs to two prefixes never share one.
string(MD5 key "${CMAKE_INSTALL_PREFIX}")
set(staged "${staging}/desktop-${key}/marsflyer.desktop")
file(WRITE "${staged}" "${entry}")
file(INSTALL "${staged}" DESTINATION "${CMAKE_INSTALL_PREFIX}/share/applications")
