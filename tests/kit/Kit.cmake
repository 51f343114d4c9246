# The test kit every suite shares. The core part (a raw connection to a store, the store probe and
# the test-only seams) needs no widgets; the window part drives the main window. Included by the
# tests' own list, so the kit is built beside the suites and they can reuse its precompiled header
# (Qt's test headers carry the folder they are built in).
set(KIT ${CMAKE_CURRENT_LIST_DIR})
add_library(quillmark_test_kit STATIC ${KIT}/RawDb.cpp ${KIT}/RawDb.h ${KIT}/StoreProbe.h
  ${KIT}/CardStoreSeam.h ${KIT}/RecoverySeam.h ${KIT}/Module1Seam.h ${KIT}/RectProbe.h)
target_include_directories(quillmark_test_kit PUBLIC ${KIT})
target_link_libraries(quillmark_test_kit PUBLIC quillmark_core Qt6::Test PRIVATE quillmark_flags)
target_precompile_headers(quillmark_test_kit PRIVATE ${QUILLMARK_CORE_PCH} <QtTest>)

add_library(quillmark_test_kit_gui STATIC ${KIT}/WindowDriver.cpp ${KIT}/WindowDriver.h
  ${KIT}/WindowTest.cpp ${KIT}/WindowTest.h ${KIT}/Form1Seam.h ${KIT}/Module2Seam.h)
target_link_libraries(quillmark_test_kit_gui PUBLIC quillmark_test_kit quillmark_gui PRIVATE quillmark_flags)
target_precompile_headers(quillmark_test_kit_gui PRIVATE ${QUILLMARK_GUI_PCH} <QtTest>)
