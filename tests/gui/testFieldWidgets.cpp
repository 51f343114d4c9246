#include "app/FieldWidgets.h"
#include "card/Sheet.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QInputMethodEvent>
#include <QMenu>
#include <QMimeData>
#include <QSignalSpy>
#include <QToolTip>
#include <QtTest>

#include <memory>

namespace {

// A field of the kind the sheet uses for that index.
QWidget* makeField(int index, QWidget* parent)
{
    if (card::isMultiLine(index))
        return new app::FieldText(index, parent);
    return new app::FieldLine(index, parent);
}

// Types characters outside Latin-1, one key press each, as a keyboard layout would deliver them.
void typeText(QWidget* field, const QString& text)
{
    for (QChar c : text)
        QTest::sendKeyEvent(QTest::Click, field, Qt::Key_unknown, QString(c), Qt::NoModifier);
}

void commit(QWidget* field, const QString& text)
{
    QInputMethodEvent event;
    event.setCommitString(text);
    QCoreApplication::sendEvent(field, &event);
}

void drop(QWidget* target, const QString& text)
{
    QMimeData mime;
    mime.setText(text);
    const QPointF at(target->width() / 2.0, target->height() / 2.0);
    QDragEnterEvent enter(at.toPoint(), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &enter);
    QDragMoveEvent move(at.toPoint(), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &move);
    QDropEvent dropped(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &dropped);
}

// Where a field takes keys, drops and input-method commits: the viewport for multi-line fields.
QWidget* inputTarget(QWidget* field)
{
    if (auto* text = qobject_cast<app::FieldText*>(field))
        return text->viewport();
    return field;
}

} // namespace

class TestFieldWidgets : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void typedAtRefusedInEveryField();
    void dashRefusedOnlyInListFields_data();
    void dashRefusedOnlyInListFields();
    void pasteDropAndInputMethodFiltered_data();
    void pasteDropAndInputMethodFiltered();
    void refusedKeyKeepsSelectionAndUndo();
    void fullWidthLookAlikesPass();
    void programTextNeverFiltered();
    void multiLineRoundTripIsExact_data();
    void multiLineRoundTripIsExact();
    void longSingleLineValueKeptWhole();
    void tabMovesFocusOutOfMultiLineField();
    void clickLabelReportsLeftClicksInside();

private:
    std::unique_ptr<QWidget> m_window;
};

void TestFieldWidgets::init()
{
    m_window = std::make_unique<QWidget>();
    m_window->resize(400, 300);
}

void TestFieldWidgets::cleanup()
{
    m_window.reset();
}

void TestFieldWidgets::typedAtRefusedInEveryField()
{
    for (int i = 0; i < card::FieldCount; ++i) {
        if (card::isReadOnly(i))
            continue;
        QWidget* field = makeField(i, m_window.get());
        QTest::keyClicks(field, QStringLiteral("a@b"));
        QTest::keyClick(field, Qt::Key_At, Qt::ShiftModifier, 0);
        QTest::keyClicks(field, QStringLiteral("c"));
        QVERIFY2(app::fieldText(field) == QStringLiteral("abc"), qPrintable(QString::number(i)));
        delete field;
    }
}

void TestFieldWidgets::dashRefusedOnlyInListFields_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("expected");
    for (int i : {0, 1, 2, 6, 8})
        QTest::addRow("field %d", i) << i << QStringLiteral("Lv3");
    for (int i : {3, 4, 5, 7, 9, 25, 103, 288, 300})
        QTest::addRow("field %d", i) << i << QStringLiteral("Lv-3");
}

void TestFieldWidgets::dashRefusedOnlyInListFields()
{
    QFETCH(int, index);
    QFETCH(QString, expected);
    QWidget* field = makeField(index, m_window.get());
    QTest::keyClicks(field, QStringLiteral("Lv-3"));
    QCOMPARE(app::fieldText(field), expected);
}

void TestFieldWidgets::pasteDropAndInputMethodFiltered_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("expected");
    QTest::newRow("name") << 0 << QStringLiteral("xAnnyz");
    QTest::newRow("deity") << 3 << QStringLiteral("xAnn-yz");
    QTest::newRow("notes") << 300 << QStringLiteral("xAnn-yz");
}

void TestFieldWidgets::pasteDropAndInputMethodFiltered()
{
    QFETCH(int, index);
    QFETCH(QString, expected);

    // Ctrl+V
    QWidget* pasted = makeField(index, m_window.get());
    QGuiApplication::clipboard()->setText(QStringLiteral("A@nn-y"));
    QTest::keyClicks(pasted, QStringLiteral("x"));
    QTest::keyClick(pasted, Qt::Key_V, Qt::ControlModifier);
    QTest::keyClicks(pasted, QStringLiteral("z"));
    QCOMPARE(app::fieldText(pasted), expected);

    // Text dropped into an empty field
    QWidget* dropped = makeField(index, m_window.get());
    dropped->setGeometry(0, 0, 200, 60);
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    drop(inputTarget(dropped), QStringLiteral("A@nn-y"));
    QCOMPARE(app::fieldText(dropped), expected.mid(1, expected.size() - 2));

    // An input method committing a whole word at once
    QWidget* composed = makeField(index, m_window.get());
    composed->setFocus();
    QTest::keyClicks(composed, QStringLiteral("x"));
    commit(composed, QStringLiteral("A@nn-y"));
    QTest::keyClicks(composed, QStringLiteral("z"));
    QCOMPARE(app::fieldText(composed), expected);
}

void TestFieldWidgets::refusedKeyKeepsSelectionAndUndo()
{
    auto* name = new app::FieldLine(0, m_window.get());
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    name->setFocus();
    QTest::keyClicks(name, QStringLiteral("Ann"));
    name->selectAll();
    // Real key events: "-" over a selection is discarded, and nothing changes.
    QTest::keyClick(name, Qt::Key_Minus, Qt::NoModifier, 0);
    QCOMPARE(name->text(), QStringLiteral("Ann"));
    QCOMPARE(name->selectedText(), QStringLiteral("Ann"));
    QVERIFY(name->isUndoAvailable());
    QCOMPARE(QToolTip::text(), QStringLiteral("此栏不能填入“-”"));
    QCOMPARE(app::refusedHint(0, QStringLiteral("a@b-c@")), QStringLiteral("此栏不能填入“@”“-”"));

    // A paste keeps what it may and is undone in one step, back to the typed text.
    QGuiApplication::clipboard()->setText(QStringLiteral("让-吕克"));
    QTest::keyClick(name, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(name->text(), QStringLiteral("让吕克"));
    QTest::keyClick(name, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(name->text(), QStringLiteral("Ann"));
    QTest::keyClick(name, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(name->text(), QString());

    // The paste of the field's own context menu goes through the same filter.
    QContextMenuEvent request(QContextMenuEvent::Keyboard, QPoint(1, 1), name->mapToGlobal(QPoint(1, 1)));
    QCoreApplication::sendEvent(name, &request);
    auto* menu = name->findChild<QMenu*>();
    QVERIFY(menu);
    const QList<QAction*> items = menu->actions();
    const auto paste = std::find_if(items.begin(), items.end(), [](QAction* a) {
        return a->text().startsWith(QStringLiteral("&Paste"));
    });
    QVERIFY(paste != items.end());
    (*paste)->trigger();
    menu->close();
    QCOMPARE(name->text(), QStringLiteral("让吕克"));
    QVERIFY(name->isUndoAvailable()); // filtered on the way in, not set afterwards
}

void TestFieldWidgets::fullWidthLookAlikesPass()
{
    for (int index : {0, 6, 25}) {
        QWidget* field = makeField(index, m_window.get());
        typeText(field, QStringLiteral("a＠b－c"));
        QCOMPARE(app::fieldText(field), QStringLiteral("a＠b－c"));
    }
}

void TestFieldWidgets::programTextNeverFiltered()
{
    // A loaded value keeps its "-" and "@"; typing next to it filters only the typed character.
    auto* name = new app::FieldLine(0, m_window.get());
    app::setFieldText(name, QStringLiteral("Ann-Marie@Home"));
    QCOMPARE(app::fieldText(name), QStringLiteral("Ann-Marie@Home"));
    name->setCursorPosition(3);
    QTest::keyClicks(name, QStringLiteral("e-"));
    QCOMPARE(app::fieldText(name), QStringLiteral("Anne-Marie@Home"));
    QCOMPARE(name->cursorPosition(), 4);
    QTest::keyClick(name, Qt::Key_End);
    QTest::keyClicks(name, QStringLiteral("!"));
    QCOMPARE(app::fieldText(name), QStringLiteral("Anne-Marie@Home!"));

    auto* notes = new app::FieldText(300, m_window.get());
    app::setFieldText(notes, QStringLiteral("a@b-c"));
    QCOMPARE(app::fieldText(notes), QStringLiteral("a@b-c"));
    notes->moveCursor(QTextCursor::End);
    QTest::keyClicks(notes, QStringLiteral("@d"));
    QCOMPARE(app::fieldText(notes), QStringLiteral("a@b-cd"));
}

void TestFieldWidgets::multiLineRoundTripIsExact_data()
{
    QTest::addColumn<QString>("stored");
    QTest::newRow("no-break spaces") << QStringLiteral("a\u00A0b\u00A0\u00A0c");
    QTest::newRow("tabs") << QStringLiteral("\tone\t\ttwo\t");
    QTest::newRow("blanks at both ends") << QStringLiteral("  both ends  ");
    QTest::newRow("outside the BMP") << QStringLiteral("\U0001F600 \U00020000");
    QTest::newRow("CR LF lines") << QStringLiteral("one\r\ntwo\r\n\r\nfour\r\n");
    QTest::newRow("leading break") << QStringLiteral("\r\nafter");
    QTest::newRow("line separator") << QStringLiteral("a\u2028b");
    QTest::newRow("lone LF") << QStringLiteral("one\ntwo\n");
    QTest::newRow("lone CR") << QStringLiteral("one\rtwo\r");
    QTest::newRow("paragraph separator") << QStringLiteral("one\u2029two");
    QTest::newRow("all breaks mixed") << QStringLiteral("\ra\r\nb\nc\u2029\r\r\n\n");
    QTest::newRow("reference note") << card::referenceText();
    QTest::newRow("empty") << QString();
}

void TestFieldWidgets::multiLineRoundTripIsExact()
{
    QFETCH(QString, stored);
    auto* field = new app::FieldText(290, m_window.get());
    app::setFieldText(field, stored);
    QCOMPARE(app::fieldText(field), stored);
    // Once edited, every break is the editor's CR LF; typed back as it was, the loaded text again.
    field->moveCursor(QTextCursor::End);
    QTest::keyClick(field, Qt::Key_X);
    const QString edited = app::fieldText(field);
    QVERIFY(edited.endsWith(QLatin1Char('x')));
    QCOMPARE(edited.count(QLatin1Char('\r')), edited.count(QStringLiteral("\r\n")));
    QCOMPARE(edited.count(QLatin1Char('\n')), edited.count(QStringLiteral("\r\n")));
    QVERIFY(!edited.contains(QChar::ParagraphSeparator));
    QTest::keyClick(field, Qt::Key_Backspace);
    QCOMPARE(app::fieldText(field), stored);

    auto* line = new app::FieldLine(3, m_window.get());
    const QString single = QString(stored).remove(QLatin1Char('\r')).remove(QLatin1Char('\n'));
    app::setFieldText(line, single);
    QCOMPARE(app::fieldText(line), single);
}

void TestFieldWidgets::longSingleLineValueKeptWhole()
{
    QString value;
    for (int i = 0; i < 100000; ++i)
        value += QChar(u'a' + i % 26);
    auto* loaded = new app::FieldLine(5, m_window.get());
    app::setFieldText(loaded, value);
    QCOMPARE(app::fieldText(loaded).size(), qsizetype(100000));
    QCOMPARE(app::fieldText(loaded), value);

    auto* pasted = new app::FieldLine(5, m_window.get());
    QGuiApplication::clipboard()->setText(value);
    QTest::keyClick(pasted, Qt::Key_V, Qt::ControlModifier);
    QTest::keyClicks(pasted, QStringLiteral("!"));
    QCOMPARE(app::fieldText(pasted), value + QLatin1Char('!'));
}

void TestFieldWidgets::tabMovesFocusOutOfMultiLineField()
{
    auto* notes = new app::FieldText(290, m_window.get());
    auto* next = new app::FieldLine(3, m_window.get());
    QWidget::setTabOrder(notes, next);
    m_window->show();
    QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
    notes->setFocus();
    QVERIFY(notes->hasFocus());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QVERIFY(next->hasFocus());
    QCOMPARE(app::fieldText(notes), QString());
}

void TestFieldWidgets::clickLabelReportsLeftClicksInside()
{
    auto* label = new app::ClickLabel(QStringLiteral("<"), m_window.get());
    label->setGeometry(10, 10, 17, 17);
    QSignalSpy clicked(label, &app::ClickLabel::clicked);
    QTest::mouseClick(label, Qt::LeftButton, Qt::NoModifier, QPoint(8, 8));
    QCOMPARE(clicked.count(), 1);
    QTest::mouseClick(label, Qt::RightButton, Qt::NoModifier, QPoint(8, 8));
    QCOMPARE(clicked.count(), 1);
    // Pressed inside but released outside: no click.
    QTest::mousePress(label, Qt::LeftButton, Qt::NoModifier, QPoint(8, 8));
    QTest::mouseRelease(label, Qt::LeftButton, Qt::NoModifier, QPoint(40, 40));
    QCOMPARE(clicked.count(), 1);
}

QTEST_MAIN(TestFieldWidgets)
#include "testFieldWidgets.moc"
