#include "app/window/LanguageAndFace.h"

#include <QCoreApplication>
#include <QFontDatabase>
#include <QHash>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace app {

namespace {

// The kinds of entry Qt's file dialog names in its "Type" column, which Qt's own Chinese texts
// leave out: without them a folder is shown as "Folder".
class FileKindNames : public QTranslator
{
public:
    using QTranslator::QTranslator;

    bool isEmpty() const override { return false; }

    QString translate(const char* context, const char* source, const char* disambiguation,
                      int n) const override
    {
        Q_UNUSED(disambiguation)
        Q_UNUSED(n)
        if (qstrcmp(context, "QAbstractFileIconProvider") != 0)
            return {};
        static const QHash<QByteArray, QString> names{
            {"Drive", QStringLiteral("驱动器")}, {"Folder", QStringLiteral("文件夹")},
            {"File", QStringLiteral("文件")},    {"%1 File", QStringLiteral("%1 文件")},
            {"Alias", QStringLiteral("链接")},   {"Shortcut", QStringLiteral("快捷方式")},
            {"Unknown", QStringLiteral("未知")}, {"File Folder", QStringLiteral("文件夹")}};
        return names.value(QByteArray(source));
    }
};

} // namespace

bool loadQtTranslations(QCoreApplication* application)
{
    QCoreApplication::installTranslator(new FileKindNames(application));
    auto* translator = new QTranslator(application);
    const QLocale chinese(QLocale::Chinese, QLocale::SimplifiedChineseScript, QLocale::China);
    if (!translator->load(chinese, QStringLiteral("qtbase"), QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    return QCoreApplication::installTranslator(translator);
}

QFont interfaceFont()
{
    QFont font;
    font.setFamilies({QStringLiteral("Noto Sans CJK SC"), QStringLiteral("Source Han Sans SC"),
                      QStringLiteral("Microsoft YaHei"), QStringLiteral("PingFang SC"),
                      QStringLiteral("WenQuanYi Micro Hei"), QStringLiteral("Noto Sans")});
    font.setStyleHint(QFont::SansSerif);
    font.setPointSize(9);
    return font;
}

std::jthread readFontList()
{
    return std::jthread([] { QFontDatabase::families(); });
}

} // namespace app
