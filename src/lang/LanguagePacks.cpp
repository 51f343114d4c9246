#include "lang/LanguagePacks.h"

#include <QDir>
#include <QFile>

#include <algorithm>

namespace lang {

QString builtInLanguage()
{
    return QStringLiteral("简体中文(内置)");
}

std::optional<QString> packName(const QByteArray& content)
{
    const QString text = QString::fromUtf8(content);
    const QLatin1String key("LanguageName=");
    const qsizetype at = text.indexOf(key, 0, Qt::CaseSensitive);
    if (at < 0)
        return std::nullopt;
    const qsizetype start = at + key.size();
    qsizetype end = start;
    while (end < text.size() && text.at(end) != QLatin1Char('\r') && text.at(end) != QLatin1Char('\n'))
        ++end;
    return text.mid(start, end - start);
}

QStringList scanPacks(const QString& lngsDir)
{
    QStringList names;
    const QDir dir(lngsDir);
    if (lngsDir.isEmpty() || !dir.exists())
        return names;
    // Name filters match without regard to letter case, as the pattern does on the desktop where
    // packs are made. Hidden files are left out, like the platform's own listing does. Files that
    // cannot be read stay in the listing, so that they take their place in the bound.
    const QStringList files = dir.entryList({QStringLiteral("*.lng")}, QDir::Files, QDir::Name);
    const qsizetype count = qMin<qsizetype>(files.size(), MaxPackFiles);
    names.reserve(count);
    for (qsizetype i = 0; i < count; ++i) {
        QFile file(dir.filePath(files.at(i)));
        if (!file.open(QIODevice::ReadOnly))
            continue;
        QByteArray content = file.read(MaxPackBytes);
        if (file.error() != QFileDevice::NoError)
            continue;
        // A name cut by the bound is no name: only a line that ends inside it counts.
        if (content.size() == MaxPackBytes && !file.atEnd()) {
            const qsizetype lineEnd = std::max(content.lastIndexOf('\r'), content.lastIndexOf('\n'));
            content.truncate(std::max<qsizetype>(lineEnd, 0));
        }
        if (const std::optional<QString> name = packName(content))
            names.append(*name);
    }
    return names;
}

bool languageListed(const QStringList& entries, const QString& lng)
{
    return entries.join(QString()).contains(lng, Qt::CaseSensitive);
}

} // namespace lang
