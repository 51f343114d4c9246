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

# Linking every test against the static libraries takes half as long with gold, where the compiler
# offers it.
include(CheckLinkerFlag)
check_linker_flag(CXX "-fuse-ld=gold" QUILLMARK_HAVE_GOLD)
if(QUILLMARK_HAVE_GOLD)
  target_link_options(quillmark_flags INTERFACE -fuse-ld=gold)
endif()

# Qt's headers are most of each compile. The libraries and the test kits precompile the ones their
# sources use most; every test reuses the header of its kit.
set(QUILLMARK_CORE_PCH <QByteArray> <QDir> <QFile> <QFileInfo> <QHash> <QList> <QSqlDatabase>
  <QSqlError> <QSqlQuery> <QString> <QStringList> <QVariant> <functional> <memory> <optional> <vector>)
set(QUILLMARK_GUI_PCH ${QUILLMARK_CORE_PCH} <QApplication> <QCheckBox> <QComboBox> <QDialog> <QLabel>
  <QLineEdit> <QListView> <QMenu> <QPainter> <QPlainTextEdit> <QPushButton> <QScrollBar> <QTabBar>
  <QTimer> <QWidget>)
