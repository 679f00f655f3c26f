# Writes the host list IN to OUT with CR LF line ends: cmake -DIN=... -DOUT=... -P host_list.cmake
configure_file(${IN} ${OUT} @ONLY NEWLINE_STYLE CRLF)
