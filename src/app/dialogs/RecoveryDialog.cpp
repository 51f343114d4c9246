#include "app/dialogs/RecoveryDialog.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSplitter>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace app {

RecoveryDialog::RecoveryDialog(const QList<store::RecoveryEntry>& entries, QWidget* parent)
    : QDialog(parent), m_entries(entries)
{
    setObjectName(QStringLiteral("RecoveryDialog"));
    setWindowTitle(QStringLiteral("恢复"));
    setAccessibleName(QStringLiteral("恢复"));
    resize(640, 420);

    auto* hint = new QLabel(
        QStringLiteral("未保存的修改、删除的角色卡和整库备份，最新的在前；恢复前的备份列在最后："), this);
    hint->setAccessibleName(QStringLiteral("说明"));

    m_list = new QTreeWidget(this);
    m_list->setObjectName(QStringLiteral("RecoveryList"));
    m_list->setAccessibleName(QStringLiteral("可恢复的内容"));
    m_list->setRootIsDecorated(false);
    m_list->setHeaderLabels(
        {QStringLiteral("类别"), QStringLiteral("名称"), QStringLiteral("时间"), QStringLiteral("说明")});
    for (const store::RecoveryEntry& entry : m_entries) {
        auto* item = new QTreeWidgetItem(m_list, {store::kindText(entry.kind), entry.name,
                                                  entry.time.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")),
                                                  entry.detail});
        item->setToolTip(1, entry.name);
    }
    m_list->header()->setSectionResizeMode(QHeaderView::ResizeToContents);

    m_contents = new QPlainTextEdit(this);
    m_contents->setObjectName(QStringLiteral("RecoveryContents"));
    m_contents->setAccessibleName(QStringLiteral("所选内容"));
    m_contents->setReadOnly(true);
    m_contents->setPlaceholderText(m_entries.isEmpty() ? QStringLiteral("没有可恢复的内容。")
                                                       : QStringLiteral("选择一项，查看其中的内容。"));

    auto* split = new QSplitter(Qt::Vertical, this);
    split->addWidget(m_list);
    split->addWidget(m_contents);

    auto* buttons = new QDialogButtonBox(this);
    m_restore = buttons->addButton(QStringLiteral("恢复所选"), QDialogButtonBox::AcceptRole);
    m_restore->setObjectName(QStringLiteral("RecoveryRestore"));
    m_restore->setAccessibleName(QStringLiteral("恢复所选"));
    m_restore->setEnabled(false);
    m_restore->setDefault(true);
    QPushButton* close = buttons->addButton(QStringLiteral("关闭"), QDialogButtonBox::RejectRole);
    close->setAccessibleName(QStringLiteral("关闭"));
    connect(buttons, &QDialogButtonBox::accepted, this, [this] {
        m_chosen = m_list->indexOfTopLevelItem(m_list->currentItem());
        if (m_chosen >= 0)
            accept();
    });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_list, &QTreeWidget::currentItemChanged, this, &RecoveryDialog::showCurrent);
    connect(m_list, &QTreeWidget::itemDoubleClicked, m_restore, &QPushButton::click);

    // The newest entry is chosen to begin with, and shown.
    if (m_list->topLevelItemCount() > 0)
        m_list->setCurrentItem(m_list->topLevelItem(0));

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(hint);
    layout->addWidget(split, 1);
    layout->addWidget(buttons);
}

void RecoveryDialog::showCurrent()
{
    const int row = m_list->indexOfTopLevelItem(m_list->currentItem());
    m_restore->setEnabled(row >= 0);
    m_contents->setPlainText(row >= 0 ? store::describeEntry(m_entries.at(row)) : QString());
}

} // namespace app
