#pragma once

#include <QString>

#include <array>

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
    std::array<QWidget*, 301> text{};     // Text1(0..300): FieldLine or FieldText
    std::array<QCheckBox*, 57> checkWN{}; // CheckWN(0..56)
    std::array<QCheckBox*, 30> checkF{};  // CheckF(0..29)
    std::array<QPushButton*, 4> command{}; // Command1..Command4
    QComboBox* combo1 = nullptr;
    QComboBox* combo2 = nullptr;
    QListView* list1 = nullptr; // List1: its model is set by Form1
    QCheckBox* checkSet = nullptr; // CheckSet(0)
    QTabBar* tabStrip = nullptr;   // TabStrip1
    std::array<QWidget*, 5> frameA{};
    QWidget* frameL = nullptr;
    ClickLabel* labelLR = nullptr;
    QLabel* labelAbout = nullptr;
    QLabel* labelTras = nullptr;
};

// Walks the layout table once and builds every control as a child of the client area.
SheetWidgets buildSheet(QWidget* client);

} // namespace app
