#pragma once

#include "card/Sheet.h"

#include <QString>

#include <array>
#include <vector>

class QCheckBox;
class QComboBox;
class QLabel;
class QListView;
class QPushButton;
class QTabBar;
class QWidget;

namespace app {

class ClickLabel;

// The controls of Form1 that the program works with, built from the layout table.
struct SheetWidgets
{
    std::array<QWidget*, card::FieldCount> text{};        // Text1(0..300): FieldLine or FieldText
    std::array<QCheckBox*, card::CheckWNCount> checkWN{}; // CheckWN(0..56)
    std::array<QCheckBox*, card::CheckFCount> checkF{};   // CheckF(0..29)
    std::array<QPushButton*, 4> command{};                // Command1..Command4
    QPushButton* command1() const { return command[0]; }  // "准备新增"
    QPushButton* command2() const { return command[1]; }  // "新增"
    QPushButton* command3() const { return command[2]; }  // "保存"
    QPushButton* command4() const { return command[3]; }  // "删除"
    QComboBox* combo1 = nullptr;
    QComboBox* combo2 = nullptr;
    QListView* list1 = nullptr;    // List1: its model is set by Form1
    QCheckBox* checkSet = nullptr; // CheckSet(0)
    QTabBar* tabStrip = nullptr;   // TabStrip1
    std::array<QWidget*, 5> frameA{};
    QWidget* frameL = nullptr;
    ClickLabel* labelLR = nullptr;
    QLabel* labelAbout = nullptr;
    QLabel* labelTras = nullptr;
};

// Builds the window's controls from the layout table: at once the side panel, the tab strip and the
// five empty pages; the controls inside a page only when that page is asked for. The Tab order is
// always that of the table over the controls built so far.
class SheetBuilder
{
public:
    static constexpr int PageCount = 5;

    // Builds everything outside the pages' contents into widgets.
    SheetBuilder(QWidget* client, SheetWidgets& widgets);

    bool isBuilt(int page) const;
    // Builds the controls of one page, once; a page that is on screen shows them at once.
    void buildPage(int page);

private:
    QWidget* build(size_t position);
    // Puts the focus-taking controls at table positions first..end-1 into the Tab order, after the
    // nearest control before them in the table that is built.
    void linkFocus(size_t first, size_t end);

    QWidget* m_client;
    SheetWidgets& m_w;
    std::vector<QWidget*> m_built; // by position in the layout table; null while not built
    std::array<bool, PageCount> m_pageBuilt{};
};

// Walks the layout table once and builds every control, every page included.
SheetWidgets buildSheet(QWidget* client);

} // namespace app
