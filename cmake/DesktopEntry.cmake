# Writes the menu entry at install time. Exec= splits its value at spaces unless an argument is
# quoted, so the launcher's path is quoted there, with the characters quotes reserve escaped (and
# the backslashes of those escapes doubled once more, as every desktop-file string value wants).
# Expects QUILLORA_LAUNCHER, QUILLORA_DESKTOP_IN and QUILLORA_DESKTOP_OUT.
string(REPLACE "\\" "\\\\\\\\" quoted "${QUILLORA_LAUNCHER}")
string(REGEX REPLACE "([\"`$])" "\\\\\\\\\\1" quoted "${quoted}")
string(REPLACE "%" "%%" quoted "${quoted}")
set(QUILLORA_LAUNCHER_EXEC "\"${quoted}\"")
string(REPLACE "\\" "\\\\" QUILLORA_LAUNCHER "${QUILLORA_LAUNCHER}")
configure_file("${QUILLORA_DESKTOP_IN}" "${QUILLORA_DESKTOP_OUT}" @ONLY)
