// The sheet on paper: a PDF with every page and every typed word while the window stays as it was,
// and printing that follows the printer's paper, driven through the list's context menu offscreen.
#include "CardTransferTest.h"
#include "StoreProbe.h"
#include "WindowDriver.h"
#include "app/Form1.h"
#include "app/dialogs/MessageBox.h"
#include "app/transfer/CardPaper.h"
#include "app/transfer/SheetPrint.h"

#include <QListView>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QtTest>

using app::Form1;
using transfer::answerFileDialog;

namespace {

// The text pdftotext finds on one page of a PDF; what it says of a damaged file goes to errors.
QString pdfText(const QString& pdf, int page, QString* errors = nullptr)
{
    QProcess p;
    const QString n = QString::number(page);
    p.start(QStringLiteral("pdftotext"),
            {QStringLiteral("-f"), n, QStringLiteral("-l"), n, pdf, QStringLiteral("-")});
    p.waitForFinished(60000);
    if (errors)
        *errors += QString::fromUtf8(p.readAllStandardError());
    return QString::fromUtf8(p.readAllStandardOutput());
}

int pdfPages(const QString& pdf)
{
    QProcess p;
    p.start(QStringLiteral("pdfinfo"), {pdf});
    p.waitForFinished(60000);
    const QString info = QString::fromUtf8(p.readAllStandardOutput());
    const QRegularExpressionMatch m = QRegularExpression(QStringLiteral("Pages:\\s+(\\d+)")).match(info);
    return m.hasMatch() ? m.captured(1).toInt() : -1;
}

} // namespace

class TestSheetPrint : public transfer::CardTransferTest
{
    Q_OBJECT

private slots:
    void init() { CardTransferTest::init(); }
    void cleanup() { CardTransferTest::cleanup(); }

    void thePdfHasEveryPageAndEveryTypedWordWhileTheWindowStaysAsItWas()
    {
        card::Sheet s = named(QStringLiteral("Ann"));
        const int onPage[] = {13, 290, 207, 288, 264}; // one field on each tab page
        for (int p = 0; p < 5; ++p)
            s.text[onPage[p]] = QStringLiteral("P%1x").arg(p);
        QStringList words;
        for (int w = 0; w < 3000; ++w)
            words << QStringLiteral("W%1").arg(w, 4, 10, QLatin1Char('0'));
        s.text[300] = words.join(QLatin1Char(' '));
        s.text[5] = QStringLiteral("Long%1End").arg(QString(200, QLatin1Char('y'))); // one line, too wide
        // In the side panel, whose card sections are printed beside the first page only. The faces
        // draw these characters with the glyphs of radicals (⽣ ⼒ ⾏ ⻓): the text layer names the
        // characters typed.
        const QString typed = QStringLiteral("长剑的力量与生命，行动点");
        s.text[126] = typed + QString(150, QLatin1Char('z'));
        addCard(s);
        addCard(named(QStringLiteral("Bob")));
        pick(QStringLiteral("Bob"));
        setField(3, QStringLiteral("unsaved"));
        const card::Sheet sheetBefore = form().readSheet();
        const QList<bool> buttonsBefore = {enabled(form(), 0), enabled(form(), 1), enabled(form(), 2),
                                           enabled(form(), 3)};

        answerFileDialog(path(QStringLiteral("ann.pdf")));
        menuItem(QStringLiteral("Ann"), QStringLiteral("导出为PDF…"));
        const QString pdf = path(QStringLiteral("ann.pdf"));
        QVERIFY(QFile::exists(pdf));
        QVERIFY2(!QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty(),
                 "pdftotext (poppler-utils) is needed");
        const int pages = pdfPages(pdf);
        QVERIFY2(pages > 5, qPrintable(QString::number(pages)));
        QString errors;
        for (int p = 0; p < 5; ++p) {
            const QString text = pdfText(pdf, p + 1, &errors);
            QCOMPARE(text.contains(typed.left(4)), p == 0);
            QCOMPARE(text.contains(QStringLiteral("属性值")), p == 0);
            QVERIFY2(text.contains(QStringLiteral("Ann")), qPrintable(text.left(200)));
            QVERIFY2(text.contains(app::SheetPrint::pageTitles()[p].left(1)), qPrintable(text.left(200)));
            QVERIFY2(text.contains(s.text[onPage[p]]), qPrintable(QStringLiteral("page %1").arg(p + 1)));
            QVERIFY(text.contains(QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd"))));
        }
        QString rest;
        for (int p = 6; p <= pages; ++p)
            rest += pdfText(pdf, p, &errors);
        rest.remove(QLatin1Char('\n'));
        for (const QString& word : words)
            QVERIFY2(rest.contains(word), qPrintable(word));
        QVERIFY(rest.contains(s.text[5]));
        QCOMPARE(rest.count(s.text[126]), 1);
        QVERIFY2(errors.isEmpty(), qPrintable(errors)); // a whole file: no table to repair
        QProcess fonts;
        fonts.start(QStringLiteral("pdffonts"), {pdf});
        fonts.waitForFinished(60000);
        const QString faces = QString::fromUtf8(fonts.readAllStandardOutput());
        QVERIFY2(faces.contains(QStringLiteral("Sans")) && !faces.contains(QStringLiteral("Serif")),
                 qPrintable(faces));

        QVERIFY(form().readSheet() == sheetBefore);
        QCOMPARE(
            (QList<bool>{enabled(form(), 0), enabled(form(), 1), enabled(form(), 2), enabled(form(), 3)}),
            buttonsBefore);
        QCOMPARE(form().widgets().list1->selectionModel()->selectedIndexes().first().row(), rowOf("Bob"));
    }

    void printingToAFileFollowsThePrintersPaperAndNamesTheCharactersDrawn()
    {
        // As the print dialog leaves the printer when "print to file" is chosen.
        QPrinter printer(QPrinter::HighResolution);
        app::paper::setUpPrinter(printer, QStringLiteral("Ann"));
        printer.setOutputFormat(QPrinter::PdfFormat);
        const QString pdf = path(QStringLiteral("letter.pdf"));
        printer.setOutputFileName(pdf);
        printer.setPageSize(QPageSize(QPageSize::Letter));
        card::Sheet ann = named(QStringLiteral("Ann"));
        ann.text[126] = QStringLiteral("长剑\n力量\n生命\n行动点");
        QCOMPARE(app::paper::print(printer, ann, QStringLiteral("Ann"), QDate(2026, 1, 2)), QString());
        QProcess p;
        p.start(QStringLiteral("pdfinfo"), {pdf});
        p.waitForFinished(60000);
        QVERIFY(
            QString::fromUtf8(p.readAllStandardOutput()).contains(QStringLiteral("792 x 612 pts (letter)")));
        const QString text = pdfText(pdf, 1);
        for (const QString& word : ann.text[126].split(QLatin1Char('\n')))
            QVERIFY2(text.contains(word), qPrintable(word));

        // A file already there is left as it is.
        const QByteArray before = probe::readAll(pdf);
        const QString error = app::paper::print(printer, named(QStringLiteral("Bob")), QStringLiteral("Bob"),
                                                QDate(2026, 1, 2));
        QVERIFY2(error.contains(QStringLiteral("已经存在")), qPrintable(error));
        QCOMPARE(probe::readAll(pdf), before);
    }
};

QTEST_MAIN(TestSheetPrint)
#include "testSheetPrint.moc"
