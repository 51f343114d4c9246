#include "app/transfer/CardPaper.h"

#include "app/dialogs/FileChooser.h"
#include "app/transfer/SheetPrint.h"
#include "card/PdfText.h"

#include <QBuffer>
#include <QPageSize>
#include <QPdfWriter>
#include <QPrinter>

namespace app::paper {

QPageLayout cardPage()
{
    return QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Landscape, QMarginsF(10, 10, 10, 10),
                       QPageLayout::Millimeter);
}

void setUpPrinter(QPrinter& printer, const QString& name)
{
    printer.setDocName(name);
    printer.setPageLayout(cardPage());
}

bool writePdf(QIODevice& out, const card::Sheet& sheet, const QString& title, const QDate& date,
              const QPageLayout& page)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter pdf(&buffer);
        pdf.setTitle(title);
        pdf.setCreator(QStringLiteral("羽笔卷宗(Quillmark)"));
        pdf.setPageLayout(page);
        if (SheetPrint::render(pdf, sheet, date) == 0)
            return false;
    }
    const QByteArray bytes = card::withDrawnCharacters(buffer.data());
    return out.write(bytes) == bytes.size();
}

QString print(QPrinter& printer, const card::Sheet& sheet, const QString& title, const QDate& date)
{
    const QString path = printer.outputFileName();
    if (printer.outputFormat() != QPrinter::PdfFormat || path.isEmpty())
        return SheetPrint::render(printer, sheet, date) > 0 ? QString()
                                                            : QStringLiteral("无法打印，请检查打印机。");
    // Qt's own print to file would write the file in place, over one already there, with radicals in
    // its text layer.
    const QPageLayout page = printer.pageLayout();
    QString error;
    const auto fill = [&](QIODevice& out) { return writePdf(out, sheet, title, date, page); };
    if (!files::writeNewFile(path, fill, &error))
        return error;
    return QString();
}

} // namespace app::paper
