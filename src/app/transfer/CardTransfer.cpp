#include "app/transfer/CardTransfer.h"

#include "app/dialogs/FileChooser.h"
#include "app/dialogs/MessageBox.h"
#include "app/dialogs/Notice.h"
#include "app/list/CardListModel.h"
#include "app/list/ListMenu.h"
#include "app/transfer/SheetPrint.h"
#include "app/transfer/StoredCard.h"
#include "card/CardFile.h"
#include "store/CardStore.h"

#include <QDir>
#include <QFileInfo>
#include <QListView>
#include <QPageSize>
#include <QPdfWriter>
#include <QPrintDialog>
#include <QPrinter>
#include <QShortcut>
#include <QStandardPaths>

namespace app {

namespace {

const QString CardFilter = QStringLiteral("角色卡 (*.json);;所有文件 (*)");

QString pdfBaseName(const QString& name)
{
    return card::cardFileBaseName(name).chopped(5) + QStringLiteral(".pdf");
}

} // namespace

CardTransfer::CardTransfer(const Parts& parts)
    : QObject(parts.window), m_window(parts.window), m_title(parts.messageTitle), m_cards(parts.cards),
      m_list(parts.list), m_exportKey(parts.exportKey), m_printKey(parts.printKey),
      m_lastFolder(QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation))
{
    setObjectName(QStringLiteral("CardTransfer"));
    ListMenu* menu = parts.menu;
    menu->addItem(QStringLiteral("导出角色卡…"), true, [this](const QString& n) { exportCard(n); });
    menu->addItem(QStringLiteral("导出为PDF…"), true, [this](const QString& n) { exportPdf(n); });
    menu->addItem(QStringLiteral("打印…"), true, [this](const QString& n) { printCard(n); });
    menu->addItem(QStringLiteral("复制为新角色"), true, [this](const QString& n) { copyAsNew(n); });
    menu->addSeparator();
    menu->addItem(QStringLiteral("导入角色卡…"), false, [this](const QString&) { importCards(); });
    menu->addItem(QStringLiteral("导出全部角色卡…"), false, [this](const QString&) { exportAll(); });

    // The shortcuts act on the selected card, and only while a card is selected.
    connect(m_exportKey, &QShortcut::activated, this, [this] { exportCard(selectedName()); });
    connect(m_printKey, &QShortcut::activated, this, [this] { printCard(selectedName()); });
    connect(m_list->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &CardTransfer::updateShortcuts);
    connect(m_list->model(), &QAbstractItemModel::modelReset, this, &CardTransfer::updateShortcuts);
    connect(m_list->model(), &QAbstractItemModel::layoutChanged, this, &CardTransfer::updateShortcuts);
    connect(m_list->model(), &QAbstractItemModel::rowsRemoved, this, &CardTransfer::updateShortcuts);
    updateShortcuts();
}

QString CardTransfer::selectedName() const
{
    const QModelIndexList selected = m_list->selectionModel()->selectedIndexes();
    return selected.isEmpty() ? QString() : selected.first().data(CardListModel::NameRole).toString();
}

void CardTransfer::updateShortcuts()
{
    const bool selected = !m_list->selectionModel()->selectedIndexes().isEmpty();
    m_exportKey->setEnabled(selected);
    m_printKey->setEnabled(selected);
}

void CardTransfer::notice(const QString& text)
{
    Notice::show(m_list, text);
}

std::optional<card::Sheet> CardTransfer::storedCard(const QString& name)
{
    return readStoredCard(m_window, m_title, m_cards, name);
}

void CardTransfer::exportCard(const QString& name)
{
    const std::optional<card::Sheet> sheet = storedCard(name);
    if (!sheet)
        return;
    const QString path =
        files::chooseSaveFile(m_window, QStringLiteral("导出角色卡"),
                              files::freePath(m_lastFolder, card::cardFileBaseName(name)), CardFilter);
    if (path.isEmpty())
        return;
    m_lastFolder = QFileInfo(path).absolutePath();
    const QByteArray bytes = card::writeCardFile(*sheet);
    QString error;
    if (!files::writeNewFile(
            path, [&bytes](QIODevice& out) { return out.write(bytes) == bytes.size(); }, &error)) {
        MessageBox::warn(m_window, m_title, error);
        return;
    }
    notice(QStringLiteral("已导出“%1”到 %2").arg(name, QDir::toNativeSeparators(path)));
}

void CardTransfer::exportPdf(const QString& name)
{
    const std::optional<card::Sheet> sheet = storedCard(name);
    if (!sheet)
        return;
    const QString path = files::chooseSaveFile(m_window, QStringLiteral("导出为PDF"),
                                               files::freePath(m_lastFolder, pdfBaseName(name)),
                                               QStringLiteral("PDF 文件 (*.pdf)"));
    if (path.isEmpty())
        return;
    m_lastFolder = QFileInfo(path).absolutePath();
    const auto fill = [&sheet, &name](QIODevice& out) {
        QPdfWriter pdf(&out);
        pdf.setTitle(name);
        pdf.setCreator(QStringLiteral("羽笔卷宗(Quillmark)"));
        SheetPrint::setUpPage(pdf);
        return SheetPrint::render(pdf, *sheet, QDate::currentDate()) > 0;
    };
    QString error;
    if (!files::writeNewFile(path, fill, &error)) {
        MessageBox::warn(m_window, m_title, error);
        return;
    }
    notice(QStringLiteral("已导出“%1”的PDF到 %2").arg(name, QDir::toNativeSeparators(path)));
}

void CardTransfer::printCard(const QString& name)
{
    const std::optional<card::Sheet> sheet = storedCard(name);
    if (!sheet)
        return;
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(name);
    SheetPrint::setUpPage(printer);
    QPrintDialog dialog(&printer, m_window);
    dialog.setObjectName(QStringLiteral("CardPrintDialog"));
    dialog.setWindowTitle(QStringLiteral("打印角色卡“%1”").arg(name));
    dialog.setAccessibleName(dialog.windowTitle());
    if (dialog.exec() != QDialog::Accepted)
        return;
    if (SheetPrint::render(printer, *sheet, QDate::currentDate()) == 0) {
        MessageBox::warn(m_window, m_title, QStringLiteral("无法打印，请检查打印机。"));
        return;
    }
    notice(QStringLiteral("已送出“%1”的打印").arg(name));
}

void CardTransfer::copyAsNew(const QString& name)
{
    std::optional<card::Sheet> sheet = storedCard(name);
    if (!sheet)
        return;
    sheet->text[0].clear();
    emit newCardCopied(*sheet);
}

void CardTransfer::importCards()
{
    const QStringList paths =
        files::chooseOpenFiles(m_window, QStringLiteral("导入角色卡"), m_lastFolder, CardFilter);
    if (paths.isEmpty())
        return;
    m_lastFolder = QFileInfo(paths.first()).absolutePath();
    importFiles(paths);
}

int CardTransfer::importFiles(const QStringList& paths)
{
    int added = 0;
    for (const QString& path : paths) {
        const QString shown = QFileInfo(path).fileName();
        const card::CardFileResult read = card::readCardFile(path);
        if (!read.ok) {
            MessageBox::warn(m_window, m_title, QStringLiteral("“%1”没有导入：%2").arg(shown, read.error));
            continue;
        }
        bool stop = false;
        added += importOne(shown, read.sheet, &stop) ? 1 : 0;
        if (stop)
            break;
    }
    notice(QStringLiteral("已导入 %1 张角色卡").arg(added));
    return added;
}

bool CardTransfer::importOne(const QString& fileName, card::Sheet sheet, bool* stop)
{
    const QString name = sheet.text[0];
    if (name.isEmpty()) {
        MessageBox::inform(m_window, m_title,
                           QStringLiteral("“%1”中的角色卡没有名字，没有导入。").arg(fileName));
        return false;
    }
    const QString refused = card::refusedCharacterError(sheet);
    if (!refused.isEmpty()) {
        MessageBox::inform(m_window, m_title,
                           QStringLiteral("“%1”中的角色卡没有导入：%2").arg(fileName, refused));
        return false;
    }
    bool asked = false;
    for (int n = 1;;) {
        sheet.text[0] = card::numberedName(name, n);
        const store::Outcome outcome = m_cards.add(sheet);
        if (outcome.ok()) {
            emit cardAdded(card::toListEntry(sheet));
            return true;
        }
        if (outcome.status != store::OpStatus::Duplicate) {
            MessageBox::warn(m_window, m_title, outcome.error);
            *stop = true;
            return false;
        }
        ++n;
        if (asked)
            continue; // the free name offered was taken meanwhile: the next one
        // The name is taken: never overwrite; offer the first free name, or skipping the card.
        for (store::LoadResult taken = m_cards.load(card::numberedName(name, n)); taken.ok && taken.found;
             taken = m_cards.load(card::numberedName(name, n)))
            ++n;
        const auto answer = MessageBox::question(
            m_window, m_title,
            QStringLiteral("已有名为“%1”的角色卡。\n要以“%2”为名导入“%3”中的这张卡吗？\n选“否”则跳过这张卡。")
                .arg(name, card::numberedName(name, n), fileName));
        if (answer != MessageBox::Yes)
            return false;
        asked = true;
    }
}

void CardTransfer::exportAll()
{
    const store::ListResult listed = m_cards.list();
    if (!listed.ok) {
        MessageBox::warn(m_window, m_title, listed.error);
        return;
    }
    if (listed.entries.isEmpty()) {
        MessageBox::inform(m_window, m_title, QStringLiteral("还没有可以导出的角色卡。"));
        return;
    }
    const QString folder =
        files::chooseFolder(m_window, QStringLiteral("导出全部角色卡到文件夹"), m_lastFolder);
    if (folder.isEmpty())
        return;
    m_lastFolder = folder;
    int written = 0;
    QStringList missed;   // every card not written, with the reason
    bool stopped = false; // a file could not be written: no other card is tried
    for (const card::ListEntry& entry : listed.entries) {
        const QString quoted = QStringLiteral("“%1”").arg(entry.nam);
        if (stopped) {
            missed << quoted + QStringLiteral("：导出已在出错处停止");
            continue;
        }
        const store::LoadResult loaded = m_cards.load(entry.nam);
        if (!loaded.ok || !loaded.found) {
            missed << quoted + QStringLiteral("：") +
                          (loaded.ok ? QStringLiteral("列表中有它的名字，但找不到这张角色卡") : loaded.error);
            continue;
        }
        card::Sheet sheet;
        card::applyCardRecord(loaded.record, sheet);
        const QByteArray bytes = card::writeCardFile(sheet);
        QString error;
        const QString path = files::freePath(folder, card::cardFileBaseName(entry.nam));
        if (files::writeNewFile(
                path, [&bytes](QIODevice& out) { return out.write(bytes) == bytes.size(); }, &error)) {
            ++written;
        } else {
            stopped = true;
            missed << quoted + QStringLiteral("：") + error;
        }
    }
    const QString done =
        QStringLiteral("已导出 %1 张角色卡到 %2").arg(written).arg(QDir::toNativeSeparators(folder));
    if (missed.isEmpty()) {
        notice(done);
        return;
    }
    MessageBox::warn(m_window, m_title,
                     QStringLiteral("%1。\n以下 %2 张没有导出：\n%3")
                         .arg(done, QString::number(missed.size()), missed.join(QLatin1Char('\n'))));
}

} // namespace app
