#include "app/play/PlayActions.h"

#include "app/FieldWidgets.h"
#include "app/dialogs/MessageBox.h"
#include "app/dialogs/Notice.h"
#include "app/list/CardListModel.h"
#include "app/list/CardListView.h"
#include "app/list/ListFill.h"
#include "app/list/ListMenu.h"
#include "app/list/ListSearchLine.h"
#include "app/play/HitPointsDialog.h"
#include "app/play/RosterDialog.h"
#include "app/transfer/CardPaper.h"
#include "app/transfer/SheetPrint.h"
#include "app/transfer/StoredCard.h"
#include "play/CardText.h"
#include "play/Rests.h"
#include "store/CardStore.h"

#include <QAbstractButton>
#include <QClipboard>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGuiApplication>
#include <QListView>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QPushButton>

namespace app {

PlayActions::PlayActions(const Parts& parts) : QObject(parts.window), m_parts(parts)
{
    setObjectName(QStringLiteral("PlayActions"));
    ListMenu* menu = parts.menu;
    menu->addSeparator();
    const auto inUse = [this] { return sheetInUse(); };
    menu->enableWhen(menu->addItem(QStringLiteral("短休"), false, [this](const QString&) { rest(false); }),
                     inUse);
    menu->enableWhen(menu->addItem(QStringLiteral("长休"), false, [this](const QString&) { rest(true); }),
                     inUse);
    menu->enableWhen(
        menu->addItem(QStringLiteral("生命值…"), false, [this](const QString&) { openHitPoints(); }), inUse);
    menu->addItem(QStringLiteral("复制为文字"), true, [this](const QString& n) { copyAsText(n); });
    menu->addItem(QStringLiteral("打印预览…"), true, [this](const QString& n) { printPreview(n); });
    menu->addItem(QStringLiteral("重命名…"), true, [this](const QString& n) { askRename(n); });
    menu->addItem(QStringLiteral("角色卡总览…"), false, [this](const QString&) { openRoster(); });

    if (auto* view = dynamic_cast<CardListView*>(parts.list)) {
        view->setEmptyHint([this] { return emptyHint(); });
        connect(parts.searchLine, &ListSearchLine::searchChanged, view->viewport(),
                qOverload<>(&QWidget::update));
    }
}

// The first card: an empty store says how to add one, inside the list. An empty search result or a
// list still being read says nothing.
QString PlayActions::emptyHint() const
{
    const auto* lines = qobject_cast<const CardListModel*>(m_parts.list->model());
    if (m_parts.fill->isBusy() || m_parts.searchLine->isOpen() || (lines && lines->isFiltered()))
        return QString();
    return CardListView::firstCardHint();
}

HitPointsDialog* PlayActions::hitPointsDialog() const
{
    return m_hitPoints;
}

RosterDialog* PlayActions::rosterDialog() const
{
    return m_roster;
}

QDialog* PlayActions::renameDialog() const
{
    return m_rename;
}

bool PlayActions::sheetInUse() const
{
    return m_parts.addButton->isEnabled() || m_parts.saveButton->isEnabled();
}

void PlayActions::notice(const QString& text)
{
    Notice::show(m_parts.list, text);
}

void PlayActions::apply(const play::Outcome& outcome)
{
    if (!outcome.ok()) {
        notice(outcome.refusal);
        return;
    }
    const QString kept = change(outcome.sheet);
    notice(kept.isEmpty() ? outcome.notice : outcome.notice + QLatin1Char('\n') + kept);
}

QString PlayActions::change(const card::Sheet& sheet)
{
    QString error;
    const bool kept = m_parts.keepBeforePlay(&error);
    emit sheetEdited(sheet);
    return kept ? QString() : QStringLiteral("未能在“恢复”中留下改动前的样子：%1").arg(error);
}

void PlayActions::rest(bool extended)
{
    if (!sheetInUse())
        return;
    const card::Sheet sheet = m_parts.readSheet();
    apply(extended ? play::extendedRest(sheet) : play::shortRest(sheet));
}

std::optional<card::Sheet> PlayActions::storedCard(const QString& name)
{
    return readStoredCard(m_parts.window, m_parts.messageTitle, m_parts.cards, name);
}

void PlayActions::copyAsText(const QString& name)
{
    const std::optional<card::Sheet> sheet = storedCard(name);
    if (!sheet)
        return;
    QGuiApplication::clipboard()->setText(play::cardText(*sheet));
    notice(QStringLiteral("已复制为文字：%1").arg(name));
}

void PlayActions::printPreview(const QString& name)
{
    const std::optional<card::Sheet> sheet = storedCard(name);
    if (!sheet)
        return;
    QPrinter printer(QPrinter::HighResolution);
    paper::setUpPrinter(printer, name);
    QPrintPreviewDialog dialog(&printer, m_parts.window);
    dialog.setObjectName(QStringLiteral("CardPrintPreview"));
    dialog.setWindowTitle(QStringLiteral("打印预览：%1").arg(name));
    dialog.setAccessibleName(dialog.windowTitle());
    const QDate today = QDate::currentDate();
    connect(&dialog, &QPrintPreviewDialog::paintRequested, this,
            [&sheet, today](QPrinter* device) { SheetPrint::render(*device, *sheet, today); });
    dialog.exec();
}

void PlayActions::askRename(const QString& name)
{
    if (m_rename)
        m_rename->close();
    auto* dialog = new QDialog(m_parts.window);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setObjectName(QStringLiteral("RenameDialog"));
    dialog->setWindowTitle(QStringLiteral("重命名角色卡"));
    dialog->setAccessibleName(QStringLiteral("重命名角色卡对话框"));
    // The line takes a name as the name field does: the characters it refuses never enter.
    auto* line = new FieldLine(card::NameField, dialog);
    line->setObjectName(QStringLiteral("RenameLine"));
    line->setAccessibleName(QStringLiteral("新名字"));
    line->setText(name);
    line->selectAll();
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, dialog);
    buttons->setObjectName(QStringLiteral("RenameButtons"));
    buttons->setAccessibleName(QStringLiteral("重命名按钮"));
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("改名"));
    buttons->button(QDialogButtonBox::Ok)->setAccessibleName(QStringLiteral("改名"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("取消"));
    buttons->button(QDialogButtonBox::Cancel)->setAccessibleName(QStringLiteral("取消改名"));
    auto* layout = new QFormLayout(dialog);
    layout->addRow(QStringLiteral("“%1”的新名字：").arg(name), line);
    layout->addRow(buttons);
    connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    connect(buttons, &QDialogButtonBox::accepted, dialog, [this, dialog, line, name] {
        // A refused name keeps the dialog open, so it can be corrected.
        if (line->text() == name || renameTo(name, line->text()))
            dialog->accept();
    });
    m_rename = dialog;
    dialog->open();
}

bool PlayActions::renameTo(const QString& from, const QString& to)
{
    // Unsaved edits of the card are in its draft first, which is renamed with it.
    m_parts.flushDraft();
    const store::Outcome outcome = m_parts.renameStored(from, to);
    switch (outcome.status) {
    case store::OpStatus::Done:
        break;
    case store::OpStatus::EmptyName:
        MessageBox::inform(m_parts.window, m_parts.messageTitle, emptyNameText());
        return false;
    case store::OpStatus::Duplicate:
        MessageBox::inform(m_parts.window, m_parts.messageTitle,
                           QStringLiteral("已有名为“%1”的角色卡。").arg(to));
        return false;
    case store::OpStatus::CardMissing:
        MessageBox::inform(m_parts.window, m_parts.messageTitle, missingCardText(from));
        return false;
    default:
        MessageBox::warn(m_parts.window, m_parts.messageTitle, outcome.error);
        return false;
    }
    card::ListEntry entry;
    entry.nam = to;
    QString error;
    store::ListScan scan;
    scan.names = {to};
    m_parts.cards.scanList(
        scan, [&entry](const card::ListEntry& e) { entry = e; }, &error);
    emit cardRenamed(from, entry);
    notice(QStringLiteral("已改名：%1 → %2").arg(from, to));
    if (m_roster)
        m_roster->reload(&error);
    return true;
}

void PlayActions::openHitPoints()
{
    if (!sheetInUse())
        return;
    if (!m_hitPoints) {
        m_hitPoints = new HitPointsDialog(
            m_parts.readSheet, [this](const card::Sheet& sheet) { return change(sheet); }, m_parts.window);
        m_hitPoints->setAttribute(Qt::WA_DeleteOnClose);
    }
    m_hitPoints->refresh();
    m_hitPoints->open();
}

void PlayActions::openRoster()
{
    if (!m_roster) {
        m_roster = new RosterDialog(m_parts.cards, m_parts.window);
        connect(m_roster, &RosterDialog::picked, this, &PlayActions::cardPicked);
    }
    QString error;
    if (!m_roster->reload(&error))
        MessageBox::warn(m_parts.window, m_parts.messageTitle, error);
    m_roster->show();
    m_roster->raise();
    m_roster->activateWindow();
}

} // namespace app
