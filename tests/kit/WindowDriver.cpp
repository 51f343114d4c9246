#include "WindowDriver.h"

#include "app/FieldWidgets.h"
#include "app/Form1.h"
#include "app/list/CardListModel.h"

#include <QItemSelectionModel>
#include <QListView>

namespace kit {

void pickLine(QListView* list, int row)
{
    list->selectionModel()->clearSelection();
    list->selectionModel()->setCurrentIndex(list->model()->index(row, 0),
                                            QItemSelectionModel::ClearAndSelect);
}

void pickLine(app::Form1& form, int row)
{
    pickLine(form.widgets().list1, row);
}

bool pickCard(app::Form1& form, const QString& name)
{
    const int row = rowOf(form, name);
    if (row < 0)
        return false;
    pickLine(form, row);
    return true;
}

QStringList listLines(const QListView* list)
{
    QStringList out;
    const QAbstractItemModel* model = list->model();
    for (int r = 0; r < model->rowCount(); ++r)
        out << model->index(r, 0).data().toString();
    return out;
}

QStringList listLines(const app::Form1& form)
{
    return listLines(form.widgets().list1);
}

QStringList listNames(const app::Form1& form)
{
    QStringList out;
    const QAbstractItemModel* model = form.widgets().list1->model();
    for (int r = 0; r < model->rowCount(); ++r)
        out << model->index(r, 0).data(app::CardListModel::NameRole).toString();
    return out;
}

int rowOf(const app::Form1& form, const QString& name)
{
    return int(listNames(form).indexOf(name));
}

void addCard(app::Form1& form, const QList<std::pair<int, QString>>& fields)
{
    form.Command1_Click();
    for (const auto& [field, text] : fields)
        app::setFieldText(form.widgets().text[field], text);
    form.Command2_Click();
}

void addCard(app::Form1& form, const card::Sheet& sheet)
{
    form.Command1_Click();
    form.writeSheet(sheet);
    form.Command2_Click();
}

card::Sheet namedSheet(const QString& name)
{
    card::Sheet s;
    s.text[0] = name;
    return s;
}

void answerNextBox(MessageBox::Button button)
{
    MessageBox::setNextAnswer(button);
}

QString lastBoxText()
{
    return MessageBox::history().isEmpty() ? QString() : MessageBox::history().last().text;
}

} // namespace kit
