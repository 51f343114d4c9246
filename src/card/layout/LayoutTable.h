#pragma once

#include "card/layout/LayoutItem.h"

#include <QStringView>

#include <vector>

// Writing the layout table: each call appends one row. Containers are opened as scopes, and every
// row written inside a scope belongs to that container.
namespace layout::table {

class Writer
{
public:
    explicit Writer(std::vector<Item>& items) : m_items(items) {}

    // Closes its container when it goes out of scope.
    class Scope
    {
    public:
        explicit Scope(Writer& writer) : m_writer(writer) {}
        ~Scope() { m_writer.close(); }
        Scope(const Scope&) = delete;
        Scope& operator=(const Scope&) = delete;

    private:
        Writer& m_writer;
    };

    [[nodiscard]] Scope sidePanel(Rect r);
    [[nodiscard]] Scope page(int index, Rect r);
    // A section; an empty title makes an untitled frame.
    [[nodiscard]] Scope frame(QStringView title, Rect r);
    // The caption of the innermost titled frame (for accessible names).
    QString frameTitle() const;

    void field(int index, Rect r, const QString& name);
    void caption(QStringView text, Rect r);
    void decoration(QStringView text, Rect r, Qt::Alignment align = Qt::AlignCenter);
    void hint(QStringView text, Rect r);
    void checkWN(int index, Rect r, const QString& name);
    void checkF(int index, Rect r, const QString& name);
    Item& add(Kind kind, int index, Rect r, QStringView text = {});

private:
    void close();

    std::vector<Item>& m_items;
    std::vector<int> m_open; // positions of the open containers, innermost last
};

// A grid of fields: field = first + rowStride * row + column. Row captions stand at the frame's left
// edge; column captions stand above the first row. With sums, "=" follows column 0 and "+" stands
// between the other columns. Without row captions, fields are named rowName plus the row number.
struct Grid
{
    int first = 0;
    int rowStride = 0;
    std::vector<int> tops;
    std::vector<int> lefts;
    std::vector<int> widths;
    std::vector<QStringView> rowCaptions;
    std::vector<QStringView> columnCaptions;
    QStringView rowName;
    bool sums = false;
};
void writeGridCaptions(Writer& w, const Grid& g);
void writeGridRow(Writer& w, const Grid& g, int row);

// Accessible names: the parts joined by a blank, empty parts left out.
QString joinName(QStringView a, QStringView b = {}, QStringView c = {});

// The rows of each part of the window.
void writeSidePanel(Writer& w);
void writeTabStrip(Writer& w);
void writeBasicsPage(Writer& w);
void writeSkillsPage(Writer& w);
void writePowersPage(Writer& w);
void writeNotesPage(Writer& w);
void writeCombatPage(Writer& w);

} // namespace layout::table
