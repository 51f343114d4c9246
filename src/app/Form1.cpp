#include "app/Form1.h"

#include "app/FieldWidgets.h"
#include "app/Shortcuts.h"
#include "app/dialogs/MessageBox.h"
#include "app/dialogs/Notice.h"
#include "app/dialogs/WorkProgress.h"
#include "app/list/CardListModel.h"
#include "app/list/ListFill.h"
#include "app/list/ListMenu.h"
#include "app/list/ListSearchLine.h"
#include "app/transfer/CardTransfer.h"
#include "app/window/WindowFit.h"
#include "card/layout/LayoutItem.h"
#include "lang/LanguagePacks.h"
#include "list/ListLines.h"
#include "store/InstallPaths.h"
#include "store/SettingsRow.h"
#include "store/StartUp.h"
#include "store/legacy/LegacyImport.h"
#include "store/recovery/Recovery.h"
#include "tray/Module2.h"

#include <QCheckBox>
#include <QComboBox>
#include <QListView>
#include <QPushButton>
#include <QShortcut>
#include <QTabBar>
#include <QTimer>

// The icon lives in the resources of the static GUI library: nothing else would pull them in.
static void initResources()
{
    Q_INIT_RESOURCE(quillmark);
}

namespace app {

namespace {
constexpr int NoticeGap = 4;
} // namespace

QString Form1::messageTitle()
{
    return MessageBox::informTitle();
}

Form1::Form1(const QString& programDir, QWidget* parent)
    : QMainWindow(parent), m_programDir(programDir),
      m_location(store::locateStore(store::storeFolder(programDir))),
      m_db(std::make_unique<store::Module1>(m_location.path)),
      m_recovery(std::make_unique<store::Recovery>(m_db->filePath())), m_cards(*m_db, m_recovery.get())
{
    initResources();
    // The store first: one left in the old Access format is carried over, once, before anything
    // reads it. Then a large list's first names are read on a thread of their own while the window
    // is built.
    const store::StartUpNotice storeNotice = store::prepareStoreAtStartUp(
        *m_db, store::helperProgram(m_programDir, QStringLiteral("quillmark-mdbread")),
        [](const std::function<void()>& step) {
            // Before the window shows: the dialog stands alone. Stopping would leave no store.
            WorkProgress::runAside(nullptr, QStringLiteral("导入旧版数据库"),
                                   QStringLiteral("正在把旧版数据库中的角色卡转入新的数据库，请稍候…"), step);
        });
    std::unique_ptr<list::ListHeadRead> headAhead;
    const bool scanAlone = !storeNotice.isError && m_cards.canScanAlone();
    if (scanAlone)
        headAhead =
            std::make_unique<list::ListHeadRead>(m_db->filePath(), ListFill::SliceRows, ListFill::HeadLines);

    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("羽笔卷宗(Quillmark)  0.3 Alpha"));
    setWindowIcon(tray::programIcon());

    auto* client = new QWidget(this);
    client->setObjectName(QStringLiteral("Form1Client"));
    setCentralWidget(client);
    m_builder = std::make_unique<SheetBuilder>(client, m_w);
    m_values.text[card::ReferenceField] = card::referenceText();
    buildPage(0); // the page shown at start; the others when their tab is first chosen
    resize(layout::ClientWidth / layout::TwipsPerPixel, layout::ClientHeight / layout::TwipsPerPixel);
    // Notices stand over the footer line, which the narrowed window shows too, left of "<".
    Notice::setPlace(m_w.labelAbout, m_w.labelLR->x() - m_w.labelAbout->x() - NoticeGap);

    m_listModel = new CardListModel(this);
    m_w.list1->setModel(m_listModel);
    QItemSelectionModel* viewSelection = m_w.list1->selectionModel();
    m_w.list1->setSelectionModel(new ListSelection(m_listModel, m_w.list1));
    delete viewSelection;
    m_w.list1->setSelectionMode(QAbstractItemView::SingleSelection);
    m_w.list1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_w.list1->installEventFilter(this);
    m_w.list1->viewport()->installEventFilter(this);
    m_listMenu = new ListMenu(m_w.list1);
    m_listFill = new ListFill(m_cards, *m_listModel, this);
    m_listFill->readHeadAhead(std::move(headAhead));
    m_listFill->keepHeadBeside(scanAlone);
    connect(m_listFill, &ListFill::failed, this, [this](const QString& error) {
        listRefreshed();
        showFailure(error);
    });
    // Lines shown first that the full read puts elsewhere are replaced at once, nothing picked.
    connect(m_listFill, &ListFill::replaced, this, &Form1::listRefreshed);
    m_searchLine = new ListSearchLine(m_w.list1);
    connect(m_searchLine, &ListSearchLine::searchChanged, this, &Form1::searchList);
    connect(m_w.list1->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &Form1::listSelectionChanged);
    // Every line read anew: nothing stays picked.
    connect(m_listModel, &QAbstractItemModel::modelReset, this, [this] { m_hiddenPick.clear(); });
    connect(m_w.list1, &QAbstractItemView::clicked, this, [this](const QModelIndex& index) {
        // A click on the entry that was already selected loads it again.
        if (index.isValid() && index.row() == m_selectedAtPress)
            List1_Click();
    });

    m_timer1 = new QTimer(this);
    m_timer1->setObjectName(QStringLiteral("Timer1"));
    m_timer1->setInterval(Timer1IntervalMs);
    connect(m_timer1, &QTimer::timeout, this, &Form1::Timer1_Timer);

    connect(m_w.command1(), &QPushButton::clicked, this, &Form1::Command1_Click);
    connect(m_w.command2(), &QPushButton::clicked, this, &Form1::Command2_Click);
    connect(m_w.command3(), &QPushButton::clicked, this, &Form1::Command3_Click);
    connect(m_w.command4(), &QPushButton::clicked, this, &Form1::Command4_Click);
    connect(m_w.combo1, &QComboBox::activated, this, &Form1::Combo1_Click);
    connect(m_w.combo2, &QComboBox::activated, this, &Form1::Combo2_Click);
    connect(m_w.checkSet, &QCheckBox::toggled, this, &Form1::CheckSet_Click);
    connect(m_w.tabStrip, &QTabBar::currentChanged, this, &Form1::TabStrip1_Click);
    connect(m_w.labelLR, &ClickLabel::clicked, this, &Form1::LabelLR_Click);
    m_shortcuts = new Shortcuts(this, m_w);
    connect(m_shortcuts->key(Shortcuts::Action::Find), &QShortcut::activated, this, [this] {
        if (m_w.list1->isVisible())
            m_searchLine->open();
    });

    startUp(storeNotice);
    // Card files, PDF and print from the list's context menu and Ctrl+E, Ctrl+P.
    auto* transfer = new CardTransfer({this, messageTitle(), m_cards, m_listMenu, m_w.list1,
                                       m_shortcuts->key(Shortcuts::Action::Export),
                                       m_shortcuts->key(Shortcuts::Action::Print)});
    connect(transfer, &CardTransfer::cardAdded, this, &Form1::putListLine);
    connect(transfer, &CardTransfer::newCardCopied, this, [this](const card::Sheet& sheet) {
        // The name field is on the first page: show it, so it can take the focus.
        m_w.tabStrip->setCurrentIndex(0);
        Command1_Click(); // "准备新增": the state of a new card, the focus in the name
        writeSheet(sheet);
    });
    setUpPlay();

    // Where the window opens, and whether its content scrolls on a small screen.
    m_fit = new WindowFit(this, client);
    m_fit->keepAtTop(m_w.tabStrip);
    m_fit->place();
    setUpRecovery();
}

Form1::~Form1()
{
    delete m_editWatcher;
    m_listFill->keepHeadNow(); // the next start shows the first screenful of the list as it is now
    if (m_tray)
        m_tray->RemoveTrayIcon();
}

void Form1::startUp(const store::StartUpNotice& notice)
{
    m_starting = true;
    QString startMessage = notice.text;
    bool startMessageIsError = notice.isError;
    if (!m_location.note.isEmpty()) {
        // Two stores: which one is in use is said once, with whatever else start-up has to say.
        if (startMessage.isEmpty()) {
            startMessage = m_location.note;
            startMessageIsError = false;
        } else {
            startMessage += QStringLiteral("\n\n") + m_location.note;
        }
    }

    // Tray icon first, then its tip.
    buildMenu();
    m_tray = std::make_unique<tray::Module2>();
    m_tray->AddTrayIcon(this, m_mumTray);
    m_tray->SetTrayTip(QStringLiteral("羽笔卷宗"));

    setCardButtons(false, false);
    m_w.command1()->setEnabled(true);

    m_w.frameA[0]->setVisible(true);
    for (int i = 1; i < 5; ++i)
        m_w.frameA[i]->setVisible(false);

    RefreshList();

    // The packs beside the program, then those an installed copy brings along.
    for (const QString& folder : store::languagePackFolders(m_programDir))
        m_w.combo2->addItems(lang::scanPacks(folder));

    store::settings::ensureSettingsRow(*m_db);
    QString lng;
    readSettings(&lng);
    checkLanguage(lng);
    m_starting = false;

    if (!startMessage.isEmpty()) {
        // Shown once the window is up, so the message stands over it.
        QTimer::singleShot(0, this, [this, startMessage, startMessageIsError] {
            if (startMessageIsError)
                showFailure(startMessage);
            else
                MessageBox::inform(this, messageTitle(), startMessage);
        });
    }
}

card::Sheet Form1::readSheet() const
{
    card::Sheet sheet = m_values;
    for (int i = 0; i < card::FieldCount; ++i) {
        if (m_w.text[i])
            sheet.text[i] = fieldText(m_w.text[i]);
    }
    for (int i = 0; i < card::CheckFCount; ++i) {
        if (m_w.checkF[i])
            sheet.checkF[i] = m_w.checkF[i]->isChecked();
    }
    for (int i = 0; i < card::CheckWNCount; ++i) {
        if (m_w.checkWN[i])
            sheet.checkWN[i] = m_w.checkWN[i]->isChecked();
    }
    return sheet;
}

void Form1::writeSheet(const card::Sheet& sheet)
{
    // Every value is kept for the pages to come; the reference note is fixed.
    m_values = sheet;
    m_values.text[card::ReferenceField] = card::referenceText();
    for (int i = 0; i < card::FieldCount; ++i) {
        if (i != card::ReferenceField && m_w.text[i])
            setFieldText(m_w.text[i], sheet.text[i]);
    }
    for (int i = 0; i < card::CheckFCount; ++i) {
        if (m_w.checkF[i])
            m_w.checkF[i]->setChecked(sheet.checkF[i]);
    }
    for (int i = 0; i < card::CheckWNCount; ++i) {
        if (m_w.checkWN[i])
            m_w.checkWN[i]->setChecked(sheet.checkWN[i]);
    }
}

void Form1::ClearSheet()
{
    writeSheet(card::Sheet());
}

bool Form1::isPageBuilt(int page) const
{
    return m_builder->isBuilt(page);
}

void Form1::buildPage(int page)
{
    if (page < 0 || page >= SheetBuilder::PageCount || isPageBuilt(page))
        return;
    const SheetWidgets before = m_w;
    m_builder->buildPage(page);
    // The new controls take the values the sheet holds for them.
    for (int i = 0; i < card::FieldCount; ++i) {
        if (!before.text[i] && m_w.text[i] && i != card::ReferenceField)
            setFieldText(m_w.text[i], m_values.text[i]);
    }
    for (int i = 0; i < card::CheckFCount; ++i) {
        if (!before.checkF[i] && m_w.checkF[i])
            m_w.checkF[i]->setChecked(m_values.checkF[i]);
    }
    for (int i = 0; i < card::CheckWNCount; ++i) {
        if (!before.checkWN[i] && m_w.checkWN[i])
            m_w.checkWN[i]->setChecked(m_values.checkWN[i]);
    }
    emit pageBuilt(page);
}

void Form1::buildAllPages()
{
    for (int page = 0; page < SheetBuilder::PageCount; ++page)
        buildPage(page);
}

void Form1::setCardButtons(bool add, bool saveAndDelete)
{
    m_w.command2()->setEnabled(add);
    m_w.command3()->setEnabled(saveAndDelete);
    m_w.command4()->setEnabled(saveAndDelete);
}

void Form1::showFailure(const QString& error)
{
    MessageBox::warn(this, messageTitle(), error);
}

} // namespace app
