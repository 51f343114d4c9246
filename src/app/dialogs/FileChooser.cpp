#include "app/dialogs/FileChooser.h"

#include "card/CardFile.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QSaveFile>

namespace app::files {

namespace {

QFileDialog* dialog(QWidget* parent, const QString& title, const QString& folder, const QString& filter)
{
    auto* d = new QFileDialog(parent, title, folder, filter);
    d->setAttribute(Qt::WA_DeleteOnClose, false);
    d->setOption(QFileDialog::DontUseNativeDialog);
    d->setObjectName(QStringLiteral("CardFileDialog"));
    d->setAccessibleName(title);
    return d;
}

QStringList run(QFileDialog* d)
{
    const bool accepted = d->exec() == QDialog::Accepted;
    const QStringList chosen = accepted ? d->selectedFiles() : QStringList();
    delete d;
    return chosen;
}

} // namespace

QString chooseSaveFile(QWidget* parent, const QString& title, const QString& suggestedPath,
                       const QString& filter)
{
    QFileDialog* d = dialog(parent, title, QFileInfo(suggestedPath).absolutePath(), filter);
    d->setAcceptMode(QFileDialog::AcceptSave);
    d->setFileMode(QFileDialog::AnyFile);
    // An existing file is refused after the dialog, never replaced: no question about overwriting.
    d->setOption(QFileDialog::DontConfirmOverwrite);
    d->setDefaultSuffix(QFileInfo(suggestedPath).suffix());
    d->selectFile(QFileInfo(suggestedPath).fileName());
    const QStringList chosen = run(d);
    return chosen.isEmpty() ? QString() : chosen.first();
}

QStringList chooseOpenFiles(QWidget* parent, const QString& title, const QString& folder,
                            const QString& filter)
{
    QFileDialog* d = dialog(parent, title, folder, filter);
    d->setAcceptMode(QFileDialog::AcceptOpen);
    d->setFileMode(QFileDialog::ExistingFiles);
    return run(d);
}

QString chooseFolder(QWidget* parent, const QString& title, const QString& folder)
{
    QFileDialog* d = dialog(parent, title, folder, QString());
    d->setAcceptMode(QFileDialog::AcceptOpen);
    d->setFileMode(QFileDialog::Directory);
    d->setOption(QFileDialog::ShowDirsOnly);
    const QStringList chosen = run(d);
    return chosen.isEmpty() ? QString() : chosen.first();
}

QString freePath(const QString& folder, const QString& fileName)
{
    const QFileInfo info(fileName);
    const QString stem = info.completeBaseName();
    const QString suffix = info.suffix().isEmpty() ? QString() : QLatin1Char('.') + info.suffix();
    const QDir dir(folder);
    for (int n = 1;; ++n) {
        const QString path = dir.filePath(card::numberedName(stem, n) + suffix);
        if (!QFileInfo::exists(path))
            return path;
    }
}

bool writeNewFile(const QString& path, const std::function<bool(QIODevice&)>& fill, QString* error)
{
    const QString shown = QFileInfo(path).fileName();
    if (QFileInfo::exists(path)) {
        *error = QStringLiteral("“%1”已经存在。为免覆盖原有文件，请另选一个文件名。").arg(shown);
        return false;
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        *error = QStringLiteral("无法在此处创建“%1”，请检查文件夹是否存在、是否可写。").arg(shown);
        return false;
    }
    if (!fill(file) || file.error() != QFileDevice::NoError) {
        file.cancelWriting();
        *error = QStringLiteral("写入“%1”时出错（磁盘可能已满），文件没有保存。").arg(shown);
        return false;
    }
    if (!file.commit()) {
        *error = QStringLiteral("保存“%1”时出错（磁盘可能已满），文件没有保存。").arg(shown);
        return false;
    }
    return true;
}

} // namespace app::files
