#include "app/dialogs/FileChooser.h"

#include "card/CardFile.h"
#include "store/StoreFile.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QTemporaryFile>

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

// A name is taken by any file, and by a link even where it points nowhere.
bool taken(const QString& path)
{
    return QFileInfo::exists(path) || QFileInfo(path).isSymLink();
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
        if (!taken(path))
            return path;
    }
}

bool writeNewFile(const QString& path, const std::function<bool(QIODevice&)>& fill, QString* error)
{
    const QFileInfo info(path);
    const QString shown = info.fileName();
    const QString takenText = QStringLiteral("“%1”已经存在。为免覆盖原有文件，请另选一个文件名。").arg(shown);
    if (taken(path)) {
        *error = takenText;
        return false;
    }
    // Made anew (never through a link), readable by all as other new files are; removed on failure.
    QTemporaryFile file(info.absoluteDir().filePath(QStringLiteral(".quillmark-XXXXXX.tmp")));
    if (!file.open()) {
        *error = QStringLiteral("无法在此处创建“%1”，请检查文件夹是否存在、是否可写。").arg(shown);
        return false;
    }
    file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup |
                        QFileDevice::ReadOther);
    if (!fill(file) || file.error() != QFileDevice::NoError || !store::syncFile(file)) {
        *error = QStringLiteral("写入“%1”时出错（磁盘可能已满），文件没有保存。").arg(shown);
        return false;
    }
    file.close();
    // Put in place only while the name is free: a file or link that took it meanwhile stays as it is.
    if (!store::renameNoReplace(file.fileName(), path)) {
        *error = taken(path) ? takenText : QStringLiteral("保存“%1”时出错，文件没有保存。").arg(shown);
        return false;
    }
    file.setAutoRemove(false);
    store::syncFolder(info.absolutePath());
    return true;
}

} // namespace app::files
