// The text layer of a printed card: the glyph-to-text maps name the characters that were drawn, and
// the file stays whole (every offset of the cross-reference table still finds its object).
#include "card/PdfText.h"

#include <QRegularExpression>
#include <QTest>

namespace {

// A PDF laid out as Qt writes it: a catalog, two faces each with the map as a plain stream of a direct
// length (%1 in dictionary), a classic cross-reference table.
QByteArray pdfWithMap(const QByteArray& mapBody, const char* dictionary = "<< /Length %1 >>")
{
    const QByteArray cmap = "/CIDInit /ProcSet findresource begin\n12 dict begin\nbegincmap\n"
                            "1 begincodespacerange\n<0000> <FFFF>\nendcodespacerange\n" +
                            mapBody + "endcmap\nCMapName currentdict /CMap defineresource pop\nend\nend\n";
    const QByteArray stream = QByteArray(dictionary).replace("%1", QByteArray::number(cmap.size())) +
                              "\nstream\n" + cmap + "\nendstream";
    const QList<QByteArray> objects = {"<< /Type /Catalog >>", stream, "<< /Type /Font /ToUnicode 2 0 R >>",
                                       stream, "<< /Type /Font /ToUnicode 4 0 R >>"};
    QByteArray pdf = "%PDF-1.4\n";
    QList<qsizetype> offsets;
    for (int k = 0; k < objects.size(); ++k) {
        offsets << pdf.size();
        pdf += QByteArray::number(k + 1) + " 0 obj\n" + objects[k] + "\nendobj\n";
    }
    const qsizetype xref = pdf.size();
    pdf += "xref\n0 6\n0000000000 65535 f \n";
    for (qsizetype offset : offsets)
        pdf += QByteArray::number(offset).rightJustified(10, '0') + " 00000 n \n";
    return pdf + "trailer\n<< /Size 6 /Root 1 0 R >>\nstartxref\n" + QByteArray::number(xref) + "\n%%EOF\n";
}

// What the map says each glyph code stands for, read from its bfchar entries.
QMap<int, QString> mapOf(const QByteArray& pdf)
{
    QMap<int, QString> map;
    static const QRegularExpression entry(QStringLiteral("^<([0-9A-F]{4})> <([0-9A-F]{4})>$"),
                                          QRegularExpression::MultilineOption);
    for (const QRegularExpressionMatch& m :
         entry.globalMatch(QString::fromLatin1(QByteArray(pdf).replace("<0000> <FFFF>", ""))))
        map[m.captured(1).toInt(nullptr, 16)] = QChar(char16_t(m.captured(2).toUInt(nullptr, 16)));
    return map;
}

} // namespace

class TestPdfText : public QObject
{
    Q_OBJECT

private slots:
    void radicalsStandForTheIdeographsOfTheirGlyph()
    {
        const QString radicals = QStringLiteral("⽣⼒⾏⻓⻚⼀⼾⻤\t");
        const QString drawn = QStringLiteral("生力行长页一户鬼 ");
        for (qsizetype i = 0; i < radicals.size(); ++i)
            QCOMPARE(QChar(card::drawnCharacter(radicals[i].unicode())), drawn[i]);
        for (const QChar c : QStringLiteral("生命a ①⺀⿖"))
            QCOMPARE(QChar(card::drawnCharacter(c.unicode())), c);
    }

    void theMapsNameTheDrawnCharactersAndEveryOffsetStillFindsItsObject()
    {
        // Both kinds of range Qt writes (a list, and codes standing for consecutive characters: here
        // ⼀ to ⼿, which makes the map much longer), and single codes.
        const QByteArray in = pdfWithMap("1 beginbfchar\n<0001> <2ED3>\nendbfchar\n"
                                         "2 beginbfrange\n<0002> <0004> [<2F63> <547D> <0061>]\n"
                                         "<0010> <004F> <2F00>\nendbfrange\n");
        const QByteArray out = card::withDrawnCharacters(in);
        const QMap<int, QString> map = mapOf(out);
        QCOMPARE(map.size(), 4 + 64);
        const QMap<int, QString> expected{{1, "长"},    {2, "生"},    {3, "命"},   {4, "a"},
                                          {0x10, "一"}, {0x11, "丨"}, {0x4F, "手"}};
        for (auto it = expected.begin(); it != expected.end(); ++it)
            QCOMPARE(map[it.key()], it.value());

        const qsizetype stream = out.indexOf("stream\n") + 7;
        const qsizetype length = out.indexOf("endstream") - 1 - stream;
        QVERIFY(out.contains(QByteArray("<< /Length " + QByteArray::number(length) + " >>")));
        const qsizetype xref =
            out.mid(out.lastIndexOf("startxref") + 9).trimmed().split('\n')[0].toLongLong();
        QCOMPARE(out.mid(xref, 5), QByteArray("xref\n"));
        const QList<QByteArray> rows = out.mid(xref).split('\n');
        for (int k = 1; k <= 5; ++k) {
            const qsizetype offset = rows[2 + k].left(10).toLongLong();
            QCOMPARE(out.mid(offset, 8), QByteArray(QByteArray::number(k) + " 0 obj\n"));
        }
        QVERIFY(out.size() != in.size()); // the objects after the map did move
    }

    void aPdfThatNeedsNothingOrIsLaidOutOtherwiseComesBackAsItWas()
    {
        const QByteArray plain = pdfWithMap("1 beginbfchar\n<0001> <751F>\nendbfchar\n");
        QCOMPARE(card::withDrawnCharacters(plain), plain);
        const QByteArray radical = "1 beginbfchar\n<0001> <2F63>\nendbfchar\n";
        for (const char* dictionary : {"<< /Length %1 /Filter /FlateDecode >>", "<< /Length 4 0 R >>"}) {
            const QByteArray other = pdfWithMap(radical, dictionary);
            QCOMPARE(card::withDrawnCharacters(other), other);
        }
        QByteArray broken = pdfWithMap(radical);
        broken.replace("startxref\n", "startxref\n9");
        QCOMPARE(card::withDrawnCharacters(broken), broken);
    }
};

QTEST_APPLESS_MAIN(TestPdfText)
#include "testPdfText.moc"
