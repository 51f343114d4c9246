#include "WindowTest.h"

#include "Form1Seam.h"
#include "WindowDriver.h"
#include "app/FieldWidgets.h"
#include "app/list/ListMenu.h"
#include "card/CardRecord.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QListView>
#include <QMenu>
#include <QPushButton>
#include <QtTest>

namespace kit {

void WindowTest::openFolder(const QString& storeFolder)
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_storeFolder = m_dir->path();
    if (!storeFolder.isEmpty()) {
        QVERIFY(QDir(m_dir->path()).mkdir(storeFolder));
        m_storeFolder = m_dir->filePath(storeFolder);
    }
    MessageBox::setAutoAnswer(true);
    MessageBox::clearHistory();
}

void WindowTest::openWindow(const QString& storeFolder)
{
    openFolder(storeFolder);
    if (!QTest::currentTestFailed())
        m_form = std::make_unique<app::Form1>(m_storeFolder);
}

void WindowTest::openWindowWithAllPages()
{
    openWindow();
    if (m_form)
        m_form->buildAllPages();
}

void WindowTest::closeWindow()
{
    m_form.reset();
    m_dir.reset();
}

QString WindowTest::storePath() const
{
    return QDir(m_storeFolder).filePath(QStringLiteral("Sav.qlk"));
}

void WindowTest::setField(int i, const QString& text)
{
    app::setFieldText(m_form->widgets().text[i], text);
}

QString WindowTest::field(int i) const
{
    return app::fieldText(m_form->widgets().text[i]);
}

bool WindowTest::enabled(const app::Form1& f, int button)
{
    return f.widgets().command[button]->isEnabled();
}

QStringList WindowTest::listTexts() const
{
    return listLines(*m_form);
}

QStringList WindowTest::listNames() const
{
    return kit::listNames(*m_form);
}

void WindowTest::pick(int row)
{
    pickLine(*m_form, row);
}

void WindowTest::pick(const QString& name)
{
    QVERIFY(pickCard(*m_form, name));
}

int WindowTest::rowOf(const QString& name) const
{
    return kit::rowOf(*m_form, name);
}

bool WindowTest::nothingSelected() const
{
    return !m_form->widgets().list1->selectionModel()->hasSelection();
}

void WindowTest::addCard(const QString& name, const QString& level, const QString& race, const QString& cls,
                         const QString& alignment)
{
    kit::addCard(*m_form, {{0, name}, {6, level}, {8, race}, {1, cls}, {2, alignment}});
}

void WindowTest::addCard(const card::Sheet& sheet)
{
    kit::addCard(*m_form, sheet);
}

void WindowTest::chooseMode(int index)
{
    m_form->widgets().combo1->setCurrentIndex(index);
    m_form->Combo1_Click();
}

QAction* WindowTest::menuAction(const QString& cardName, const QString& text)
{
    QListView* list = m_form->widgets().list1;
    const QPoint at = cardName.isEmpty()
                          ? QPoint(5, list->viewport()->height() - 2)
                          : list->visualRect(list->model()->index(kit::rowOf(*m_form, cardName), 0)).center();
    m_form->listMenu()->prepare(at);
    for (QAction* action : m_form->listMenu()->menu()->actions()) {
        if (action->text() == text)
            return action;
    }
    return nullptr;
}

std::optional<store::RecoveryEntry> WindowTest::recoverable(store::RecoveryEntry::Kind kind)
{
    for (const store::RecoveryEntry& entry :
         store::recoveryEntries(app::Form1Seam::recovery(*m_form), m_form->cards()).entries) {
        if (entry.kind == kind)
            return entry;
    }
    return std::nullopt;
}

void WindowTest::typeText(QWidget* widget, const QString& text)
{
    for (const QChar c : text) {
        QTest::sendKeyEvent(QTest::Press, widget, Qt::Key_unknown, QString(c), Qt::NoModifier);
        QTest::sendKeyEvent(QTest::Release, widget, Qt::Key_unknown, QString(c), Qt::NoModifier);
    }
}

card::Sheet WindowTest::fullSheet()
{
    card::Sheet s;
    for (int i = 0; i < card::FieldCount; ++i) {
        if (i == card::ReferenceField)
            continue;
        s.text[i] = card::isMultiLine(i)
                        ? QStringLiteral(" 第%1行\r\n\tsecond\u00a0line \r\n\r\n😀 end ").arg(i)
                        : QStringLiteral(" v%1 值\u00a0😀 ").arg(i);
    }
    s.text[0] = QStringLiteral("O'Brien 全");
    for (int i = 0; i < card::CheckFCount; ++i)
        s.checkF[i] = i % 3 == 0;
    for (int i = 0; i < card::CheckWNCount; ++i)
        s.checkWN[i] = i % 2 == 1;
    s.text[card::ReferenceField] = card::referenceText();
    return s;
}

} // namespace kit
