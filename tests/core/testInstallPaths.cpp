// The two ways to run: an installed prefix (the program in <prefix>/bin, its data in
// <prefix>/share/quillmark) keeps the store in the user's data folder and finds its helper and
// built-in packs in the prefix; any other folder keeps everything beside the program.
#include "store/InstallPaths.h"
#include "store/Module1.h"
#include "store/StoreLocation.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using store::InstallPaths;

namespace {

const InstallPaths Layout{QStringLiteral("bin"), QStringLiteral("share/quillmark"),
                          QStringLiteral("libexec/quillmark")};

bool makeExecutable(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write("#!/bin/sh\n") < 0)
        return false;
    file.close();
    return file.setPermissions(file.permissions() | QFile::ExeOwner | QFile::ExeUser);
}

} // namespace

class TestInstallPaths : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
    void recognisesAnInstalledPrefix_data();
    void recognisesAnInstalledPrefix();
    void installedCopyKeepsItsStoreOutOfThePrefix();
    void portableCopyKeepsEverythingBesideItself();
    void helperBesideTheProgramComesFirst();
};

void TestInstallPaths::recognisesAnInstalledPrefix_data()
{
    QTest::addColumn<QString>("programDir"); // relative to the temporary root
    QTest::addColumn<bool>("dataFolder");    // whether <root>/share/quillmark exists
    QTest::addColumn<bool>("installed");
    QTest::newRow("bin with the data folder") << "bin" << true << true;
    QTest::newRow("bin without the data folder") << "bin" << false << false;
    QTest::newRow("a folder that only ends in bin") << "xbin" << true << false;
    QTest::newRow("a build folder") << "build" << true << false;
    QTest::newRow("a folder below bin") << "bin/sub" << true << false;
}

void TestInstallPaths::recognisesAnInstalledPrefix()
{
    QFETCH(QString, programDir);
    QFETCH(bool, dataFolder);
    QFETCH(bool, installed);
    QTemporaryDir root;
    QVERIFY(QDir(root.path()).mkpath(programDir));
    if (dataFolder)
        QVERIFY(QDir(root.path()).mkpath(QStringLiteral("share/quillmark")));
    // The folder may be given with a trailing separator or an indirection, as a launcher might.
    const QString dir = root.filePath(programDir) + QStringLiteral("/./");
    QCOMPARE(store::isInstalled(dir, Layout), installed);
    QCOMPARE(store::installPrefix(dir, Layout), installed ? QDir(root.path()).absolutePath() : QString());
}

void TestInstallPaths::installedCopyKeepsItsStoreOutOfThePrefix()
{
    QTemporaryDir root;
    QVERIFY(QDir(root.path()).mkpath(QStringLiteral("bin")));
    QVERIFY(QDir(root.path()).mkpath(QStringLiteral("share/quillmark/lngs")));
    const QString bin = root.filePath(QStringLiteral("bin"));

    // The prefix can be written here (as it can by root): the store still goes to the data folder.
    const QString folder = store::storeFolder(bin, Layout);
    const QString data = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    QCOMPARE(folder, data);
    QVERIFY(QFileInfo(folder).isDir());
    QVERIFY(!folder.startsWith(root.path()));
    QCOMPARE(QFileInfo(store::locateStore(folder).path).absolutePath(), QFileInfo(data).absoluteFilePath());

    QCOMPARE(store::languagePackFolders(bin, Layout),
             QStringList({QDir(bin).filePath(QStringLiteral("lngs")),
                          QDir(root.path()).absoluteFilePath(QStringLiteral("share/quillmark/lngs"))}));
}

void TestInstallPaths::portableCopyKeepsEverythingBesideItself()
{
    QTemporaryDir root;
    const QString dir = root.path();
    QCOMPARE(store::storeFolder(dir, Layout), dir);
    QCOMPARE(store::locateStore(store::storeFolder(dir, Layout)).path,
             QDir(dir).filePath(QStringLiteral("Sav.qlk")));
    QCOMPARE(store::languagePackFolders(dir, Layout),
             QStringList{QDir(dir).filePath(QStringLiteral("lngs"))});
}

void TestInstallPaths::helperBesideTheProgramComesFirst()
{
    QTemporaryDir root;
    const QDir prefix(root.path());
    QVERIFY(prefix.mkpath(QStringLiteral("bin")) && prefix.mkpath(QStringLiteral("share/quillmark")) &&
            prefix.mkpath(QStringLiteral("libexec/quillmark")));
    const QString bin = prefix.filePath(QStringLiteral("bin"));
    const QString name = QStringLiteral("quillmark-mdbread");
    const QString installed = prefix.filePath(QStringLiteral("libexec/quillmark/") + name);

    // None anywhere: the path beside the program, so that the failure names it.
    QCOMPARE(store::helperProgram(bin, name, Layout), QDir(bin).filePath(name));
    QVERIFY(makeExecutable(installed));
    QCOMPARE(store::helperProgram(bin, name, Layout), installed);
    QVERIFY(makeExecutable(QDir(bin).filePath(name)));
    QCOMPARE(store::helperProgram(bin, name, Layout), QDir(bin).filePath(name));

    // A portable folder never looks into a neighbouring prefix.
    QVERIFY(QFile::remove(QDir(bin).filePath(name)));
    QVERIFY(prefix.mkpath(QStringLiteral("portable")));
    const QString portable = prefix.filePath(QStringLiteral("portable"));
    QCOMPARE(store::helperProgram(portable, name, Layout), QDir(portable).filePath(name));
}

QTEST_GUILESS_MAIN(TestInstallPaths)
#include "testInstallPaths.moc"
