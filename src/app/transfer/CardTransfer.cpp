#include "app/transfer/CardTransfer.h"

#include "app/dialogs/FileChooser.h"
#include "app/dialogs/MessageBox.h"
#include "app/dialogs/Notice.h"
#include "app/dialogs/WorkProgress.h"
#include "app/list/CardListModel.h"
#include "app/list/ListMenu.h"
#include "app/transfer/CardExport.h"
#include "app/transfer/CardPaper.h"
#include "app/transfer/StoredCard.h"
#include "card/CardFile.h"
#include "store/CardStore.h"

#include <QDir>
#include <QFileInfo>
#include <QListView>
#include <QPrintDialog>
#include <QPrinter>
#include <QSet>
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
    notice(QStringLiteral("已导出：%1（%2）").arg(name, QDir::toNativeSeparators(path)));
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
        return paper::writePdf(out, *sheet, name, QDate::currentDate());
    };
    QString error;
    if (!files::writeNewFile(path, fill, &error)) {
        MessageBox::warn(m_window, m_title, error);
        return;
    }
    notice(QStringLiteral("已导出 PDF：%1（%2）").arg(name, QDir::toNativeSeparators(path)));
}

void CardTransfer::printCard(const QString& name)
{
    const std::optional<card::Sheet> sheet = storedCard(name);
    if (!sheet)
        return;
    QPrinter printer(QPrinter::HighResolution);
    paper::setUpPrinter(printer, name);
    QPrintDialog dialog(&printer, m_window);
    dialog.setObjectName(QStringLiteral("CardPrintDialog"));
    dialog.setWindowTitle(QStringLiteral("打印角色卡“%1”").arg(name));
    dialog.setAccessibleName(dialog.windowTitle());
    if (dialog.exec() != QDialog::Accepted)
        return;
    const QString error = paper::print(printer, *sheet, name, QDate::currentDate());
    if (!error.isEmpty()) {
        MessageBox::warn(m_window, m_title, error);
        return;
    }
    notice(QStringLiteral("已送去打印：%1").arg(name));
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
    card::ImportReport report;
    {
        WorkProgress progress(m_window, QStringLiteral("导入角色卡"), static_cast<int>(paths.size()), true);
        for (qsizetype i = 0; i < paths.size(); ++i) {
            const QString shown = QFileInfo(paths[i]).fileName();
            // Each card is its own transaction: the ones added before a cancel stay.
            report.cancelled = !progress.step(static_cast<int>(i), QStringLiteral("导入角色卡"), shown);
            if (!report.cancelled)
                report.lines.append({shown, importOne(shown, card::readCardFile(paths[i]))});
            if (report.cancelled || report.lines.last().step.action == card::ImportAction::Fail) {
                report.notReached = static_cast<int>(paths.size() - i - (report.cancelled ? 0 : 1));
                break;
            }
        }
    }
    if (report.plain())
        notice(QStringLiteral("已导入：%1 张角色卡").arg(report.added()));
    else
        MessageBox::inform(m_window, m_title, card::importSummary(report));
    return report.added();
}

card::ImportStep CardTransfer::importOne(const QString& fileName, const card::CardFileResult& read)
{
    const QString refusal = card::importRefusal(read);
    if (!refusal.isEmpty())
        return {card::ImportAction::Refuse, {}, refusal};
    card::Sheet sheet = read.sheet;
    const QString name = sheet.text[card::NameField];
    QSet<QString> tried; // names that turned out taken when the card was added under them
    const auto isTaken = [this, &tried](const QString& n) {
        const store::LoadResult stored = m_cards.load(n);
        return tried.contains(n) || (stored.ok && stored.found);
    };
    card::ImportStep step{card::ImportAction::Add, name, {}};
    for (;;) {
        sheet.text[card::NameField] = step.name;
        const store::Outcome outcome =
            step.action == card::ImportAction::Replace ? m_cards.replace(sheet) : m_cards.add(sheet);
        if (outcome.ok()) {
            emit cardAdded(card::toListEntry(sheet));
            return step;
        }
        if (outcome.status != store::OpStatus::Duplicate)
            return {card::ImportAction::Fail, step.name, outcome.error};
        tried.insert(step.name);
        if (step.action == card::ImportAction::Add) {
            const card::TakenChoice choice = askTaken(fileName, name, card::firstFreeName(name, isTaken));
            step = card::planImport(name, true, choice, isTaken);
            if (step.action == card::ImportAction::Skip)
                return step;
        } else {
            step.name = card::firstFreeName(name, isTaken); // the free name was taken meanwhile
        }
    }
}

card::TakenChoice CardTransfer::askTaken(const QString& fileName, const QString& name,
                                         const QString& freeName)
{
    const MessageBox::Button answer =
        MessageBox::choose(m_window, MessageBox::questionTitle(),
                           QStringLiteral("已有名为“%1”的角色卡。“%2”中的这张卡要怎样导入？\n"
                                          "选“替换”时，原有的那张放进已删除的角色卡，可用“恢复…”找回。")
                               .arg(name, fileName),
                           {{MessageBox::Yes, QStringLiteral("改名为“%1”").arg(freeName)},
                            {MessageBox::Save, QStringLiteral("替换")},
                            {MessageBox::Cancel, QStringLiteral("跳过")}});
    if (answer == MessageBox::Yes)
        return card::TakenChoice::Rename;
    return answer == MessageBox::Save ? card::TakenChoice::Replace : card::TakenChoice::Skip;
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
    ExportAllResult result;
    {
        WorkProgress progress(m_window, QStringLiteral("导出全部角色卡"),
                              static_cast<int>(listed.entries.size()), true);
        result = exportAllCards(m_cards, listed.entries, folder, [&progress](int done, const QString& name) {
            return progress.step(done, QStringLiteral("导出角色卡"), name);
        });
    }
    bool plain = false;
    const QString summary = exportAllSummary(result, folder, &plain);
    if (plain)
        notice(summary);
    else if (result.missed.isEmpty())
        MessageBox::inform(m_window, m_title, summary);
    else
        MessageBox::warn(m_window, m_title, summary);
}

} // namespace app
