// Input meant to break things: a card of many megabytes, names made of SQL and quoting characters,
// emoji and right-to-left text, and language packs that are huge, empty, not UTF-8 or not text.
#include "ReliabilityKit.h"
#include "WindowDriver.h"
#include "app/FieldWidgets.h"
#include "app/Form1.h"
#include "app/dialogs/FileChooser.h"
#include "app/dialogs/MessageBox.h"
#include "lang/LanguagePacks.h"
#include "list/ListLines.h"
#include "store/CardStore.h"

#include <QComboBox>
#include <QDir>
#include <QListView>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

using store::OpStatus;

namespace {

// Text of at least `bytes` bytes in UTF-8, with line breaks when multi-line; no "@", and no "-"
// where the key filter refuses it.
QString filler(qsizetype bytes, bool multiLine, int seed)
{
    static const char16_t* const Pieces[] = {u"羽笔", u"O'Brien ", u"100% ", u"a_b ",
                                             u"😀",    u"עברית ",   u"\t",    u"x"};
    QString s;
    int i = seed;
    while (s.toUtf8().size() < bytes) {
        QString chunk;
        for (int k = 0; k < 200; ++k)
            chunk += QString::fromUtf16(Pieces[(i++ * 7 + k) % 8]);
        if (multiLine)
            chunk += QStringLiteral("\r\n");
        s += chunk.repeated(16);
    }
    return s;
}

card::Sheet hugeSheet(int variant)
{
    card::Sheet sheet;
    sheet.text[card::ReferenceField] = card::referenceText();
    for (int i = 0; i < card::FieldCount; ++i) {
        if (i == card::ReferenceField)
            continue;
        sheet.text[i] =
            card::isMultiLine(i) ? filler(1 << 20, true, i + variant) : filler(10 * 1024, false, i + variant);
    }
    sheet.text[0] = QStringLiteral("巨卡 ") + sheet.text[0];
    for (int i = 0; i < card::CheckFCount; ++i)
        sheet.checkF[i] = (i + variant) % 2 == 0;
    for (int i = 0; i < card::CheckWNCount; ++i)
        sheet.checkWN[i] = (i + variant) % 3 == 0;
    return sheet;
}

QStringList hostileNames()
{
    return {QStringLiteral("O'Brien"),
            QStringLiteral("'"),
            QStringLiteral("''"),
            QStringLiteral("\""),
            QStringLiteral("%"),
            QStringLiteral("_"),
            QStringLiteral("a%"),
            QStringLiteral("a_c"),
            QStringLiteral("abc"),
            QStringLiteral("%_%"),
            QStringLiteral("SELECT * FROM card"),
            QStringLiteral("Robert'); DELETE FROM lstt; "),
            QStringLiteral("NULL"),
            QStringLiteral("null"),
            QStringLiteral(" "),
            QStringLiteral("Ann"),
            QStringLiteral("ann"),
            QStringLiteral("Ann "),
            QStringLiteral("😀"),
            QStringLiteral("👨\u200d👩\u200d👧"),
            QStringLiteral("עברית"),
            QStringLiteral("مرحبا بالعالم"),
            QStringLiteral("\u202eevil"),
            QStringLiteral("\\"),
            QStringLiteral("x\ty"),
            QStringLiteral("1 OR 1=1"),
            QStringLiteral("卡'\"%_;")};
}

rel::Model allAt(const QStringList& names, int version)
{
    rel::Model model;
    for (const QString& n : names)
        model.insert(n, version);
    return model;
}

} // namespace

class TestHostileInput : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { MessageBox::setAutoAnswer(true); }

    void hugeCardRoundTripsThroughTheStore()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("Sav.qlk"));
        QVERIFY(rel::makeStore(path));
        store::Module1 db(path);
        store::CardStore cards(db);
        const card::Sheet first = hugeSheet(0);
        QVERIFY(first.text[300].toUtf8().size() >= 1 << 20);
        QCOMPARE(cards.add(first).status, OpStatus::Done);
        store::LoadResult loaded = cards.load(first.text[0]);
        QVERIFY(loaded.found);
        QVERIFY(loaded.record == card::toCardRecord(first));
        card::Sheet back;
        back.text[card::ReferenceField] = card::referenceText();
        card::applyCardRecord(loaded.record, back);
        QVERIFY(back == first);

        card::Sheet second = hugeSheet(1);
        second.text[0] = first.text[0];
        QCOMPARE(cards.save(first.text[0], second).status, OpStatus::Done);
        loaded = cards.load(first.text[0]);
        QVERIFY(loaded.record == card::toCardRecord(second));
        kit::RawDb raw(path);
        QCOMPARE(raw.column(QStringLiteral("SELECT length(CAST(Info AS BLOB)) FROM card")),
                 QStringList{QString::number(card::encodeInfo(second).toUtf8().size())});
        QCOMPARE(raw.column(QStringLiteral("PRAGMA integrity_check")), QStringList{QStringLiteral("ok")});
    }

    void hugeCardRoundTripsThroughTheWindow()
    {
        QTemporaryDir dir;
        app::Form1 form(dir.path());
        const card::Sheet typed = hugeSheet(2);
        form.Command1_Click();
        form.writeSheet(typed);
        QVERIFY(form.readSheet() == typed);
        form.Command2_Click();
        QCOMPARE(form.readSheet().text[0], QString());
        QListView* list = form.widgets().list1;
        QCOMPARE(list->model()->rowCount(), 1);
        kit::pickLine(list, 0);
        QVERIFY(form.readSheet() == typed);
        QVERIFY(MessageBox::history().isEmpty());
    }

    void hostileNamesRoundTripAndNeverTouchAnotherCard()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("Sav.qlk"));
        QVERIFY(rel::makeStore(path));
        store::Module1 db(path);
        store::CardStore cards(db);
        const QStringList names = hostileNames();
        for (const QString& name : names)
            QVERIFY2(cards.add(rel::makeSheet(name, 0)).status == OpStatus::Done, qPrintable(name));
        rel::StoreCheck check = rel::checkStore(path, allAt(names, 0));
        QVERIFY2(check.ok(), qPrintable(check.problems.join(QLatin1Char('\n'))));
        for (const QString& name : names)
            QCOMPARE(cards.add(rel::makeSheet(name, 5)).status, OpStatus::Duplicate);

        rel::Model model = allAt(names, 0);
        for (const QString& name : names) {
            const store::LoadResult loaded = cards.load(name);
            QVERIFY(loaded.found && loaded.record == card::toCardRecord(rel::makeSheet(name, 0)));
            QCOMPARE(cards.save(name, rel::makeSheet(name, 1)).status, OpStatus::Done);
            model.insert(name, 1);
            check = rel::checkStore(path, model);
            QVERIFY2(check.ok(),
                     qPrintable(name + QLatin1Char('\n') + check.problems.join(QLatin1Char('\n'))));
        }
        for (const QString& name : names) {
            QCOMPARE(cards.remove(name).status, OpStatus::Done);
            model.remove(name);
            check = rel::checkStore(path, model);
            QVERIFY2(check.ok(),
                     qPrintable(name + QLatin1Char('\n') + check.problems.join(QLatin1Char('\n'))));
        }
    }

    void hostileNamesComeBackOutOfEveryListLine()
    {
        const QStringList modes{QString(),        list::modeName(),  list::modeLevel(),
                                list::modeRace(), list::modeClass(), list::modeAlignment()};
        for (const QString& name : hostileNames()) {
            const card::ListEntry entry = card::toListEntry(rel::makeSheet(name, 3));
            for (const QString& mode : modes)
                QCOMPARE(list::selectedName(mode, list::entryText(mode, entry)), name);
        }
    }

    void hostileNamesThroughTheWindow()
    {
        QTemporaryDir dir;
        app::Form1 form(dir.path());
        const QStringList names = hostileNames();
        for (const QString& name : names) {
            kit::addCard(form, rel::makeSheet(name, 0));
        }
        QVERIFY(MessageBox::history().isEmpty());
        QListView* list = form.widgets().list1;
        QCOMPARE(list->model()->rowCount(), names.size());
        rel::Model model = allAt(names, 0);
        const QString path = dir.filePath(QStringLiteral("Sav.qlk"));
        for (int row = 0; row < list->model()->rowCount(); ++row) {
            kit::pickLine(list, row);
            const QString name = app::fieldText(form.widgets().text[0]);
            QVERIFY(names.contains(name));
            QVERIFY(form.readSheet() == rel::makeSheet(name, 0));
            form.writeSheet(rel::makeSheet(name, 1));
            form.Command3_Click();
            model.insert(name, 1);
        }
        QVERIFY(MessageBox::history().isEmpty());
        const rel::StoreCheck check = rel::checkStore(path, model);
        QVERIFY2(check.ok(), qPrintable(check.problems.join(QLatin1Char('\n'))));
    }

    // A name that is a symbolic link, to nowhere or to a file, is taken: nothing is written through
    // it, the writer says so, and the free name is found past it.
    void linksAreNeverWrittenThrough()
    {
#ifdef Q_OS_WIN
        QSKIP("symbolic links need rights of their own on Windows");
#endif
        QTemporaryDir dir;
        const QDir folder(dir.path());
        QVERIFY(rel::writeFile(folder.filePath(QStringLiteral("mine.json")), "mine"));
        QVERIFY(QFile::link(folder.filePath(QStringLiteral("nowhere.json")), folder.filePath("card.json")));
        QVERIFY(QFile::link(folder.filePath(QStringLiteral("mine.json")), folder.filePath("card (2).json")));
        const auto fill = [](QIODevice& out) { return out.write("card") == 4; };
        for (const char* name : {"card.json", "card (2).json"}) {
            QString error;
            QVERIFY(!app::files::writeNewFile(folder.filePath(QLatin1String(name)), fill, &error));
            QVERIFY2(error.contains(QStringLiteral("已经存在")), qPrintable(error));
        }
        QVERIFY(!QFileInfo::exists(folder.filePath(QStringLiteral("nowhere.json"))));
        QCOMPARE(rel::fileBytes(folder.filePath(QStringLiteral("mine.json"))), QByteArray("mine"));
        const QString free = app::files::freePath(dir.path(), QStringLiteral("card.json"));
        QCOMPARE(free, folder.filePath(QStringLiteral("card (3).json")));
        QString error;
        QVERIFY2(app::files::writeNewFile(free, fill, &error), qPrintable(error));
        QCOMPARE(folder.entryList(QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot),
                 (QStringList{"card (2).json", "card (3).json", "card.json", "mine.json"}));
    }

    void oddLanguagePacksAreHandled()
    {
        QTemporaryDir dir;
        const QString lngs = dir.filePath(QStringLiteral("lngs"));
        QVERIFY(QDir().mkpath(lngs));
        auto pack = [&](const char* file, const QByteArray& bytes) {
            QVERIFY(rel::writeFile(QDir(lngs).filePath(QLatin1String(file)), bytes));
        };
        QByteArray noise(64 * 1024, '\0');
        QRandomGenerator rng(11);
        for (char& c : noise)
            c = static_cast<char>(rng.bounded(256));
        pack("a-huge.lng", QByteArray("LanguageName=Huge\r\n") + QByteArray(10 << 20, 'z'));
        pack("b-huge-no-key.lng", QByteArray(10 << 20, 'L'));
        pack("c-empty.lng", QByteArray(""));
        pack("d-invalid-utf8.lng", QByteArray("LanguageName=Bad\xff\xfe\xc3(\x80\r\n"));
        pack("e-binary.lng", noise);
        pack("f-binary-with-key.lng", noise.left(999) + "LanguageName=" + noise.mid(999));
        pack("g-key-at-end.lng", QByteArray("x LanguageName="));
        pack("h-utf16.lng", QByteArray("\xff\xfeL\0a\0n\0g\0", 10));

        const QStringList names = lang::scanPacks(lngs);
        QCOMPARE(names.value(0), QStringLiteral("Huge"));
        QVERIFY(names.value(1).startsWith(QStringLiteral("Bad")));
        QVERIFY(names.contains(QString()));
        for (const QString& name : names)
            QVERIFY(!name.contains(QLatin1Char('\r')) && !name.contains(QLatin1Char('\n')));

        app::Form1 form(dir.path());
        QCOMPARE(form.widgets().combo2->count(), names.size() + 1);
        QCOMPARE(form.widgets().combo2->itemText(1), QStringLiteral("Huge"));
    }
};

QTEST_MAIN(TestHostileInput)
#include "testHostileInput.moc"
