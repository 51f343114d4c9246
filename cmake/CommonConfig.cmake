# One interface target carries the warning flags and Qt defines for every target of ours.
add_library(quillmark_flags INTERFACE)
target_compile_options(quillmark_flags INTERFACE -Wall -Wextra -Wold-style-cast)
if(QUILLMARK_WERROR)
  target_compile_options(quillmark_flags INTERFACE -Werror)
endif()
target_compile_definitions(quillmark_flags INTERFACE
  QT_NO_CAST_TO_ASCII
  QT_NO_CAST_FROM_BYTEARRAY
  QT_NO_NARROWING_CONVERSIONS_IN_CONNECT
  QT_USE_QSTRINGBUILDER)
if(QUILLMARK_SANITIZE)
  target_compile_options(quillmark_flags INTERFACE -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  target_link_options(quillmark_flags INTERFACE -fsanitize=address,undefined)
endif()
