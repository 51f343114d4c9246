#pragma once

// What the card store suites share: cards whose values tell which card and which version they are,
// and a fresh store in a folder of its own for each test.
#include "StoreProbe.h"
#include "store/CardStore.h"
#include "store/Module1.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace cardstore {

// The names every card store suite uses, brought in at once by `using namespace cardstore;`.
using card::Sheet;
using probe::blankSheet;
using probe::dump;
using probe::Dump;
using probe::execute;
using probe::renderCard;
using probe::renderEntry;
using store::OpStatus;

// A card whose values all tell which card and which version they belong to.
inline Sheet cardSheet(const QString& name, int version = 1)
{
    Sheet s = blankSheet();
    const QString v = QString::number(version);
    s.text[0] = name;
    s.text[1] = QStringLiteral("职业") + v;
    s.text[2] = QStringLiteral("阵营") + v;
    s.text[6] = v;
    s.text[8] = QStringLiteral("种族 ") + name;
    s.text[24] = QStringLiteral("v24 ") + v;
    s.text[26] = QStringLiteral("v26 ") + name;
    s.text[288] = QStringLiteral(" coins\u00a0") + v + QLatin1Char('\t');
    s.text[25] = QStringLiteral("racial\r\n") + name + QStringLiteral("\r\n");
    s.text[300] = QStringLiteral("blog 😀 ") + v;
    s.checkF[(version * 7) % 30] = true;
    s.checkWN[(version * 11) % 57] = true;
    return s;
}

// Every field distinct, with Chinese, CR LF line breaks, blanks, NBSP, tabs and non-BMP text.
inline Sheet fullSheet()
{
    Sheet s = blankSheet();
    for (int i = 0; i < card::FieldCount; ++i) {
        if (i == card::ReferenceField)
            continue;
        s.text[i] = card::isMultiLine(i) ? QStringLiteral(" 第%1栏\r\n\t第二行\u00a0\r\n\r\n𠀀 ").arg(i)
                                         : QStringLiteral(" 字段\u00a0%1\t😀 ").arg(i);
    }
    for (int i = 0; i < card::CheckFCount; ++i)
        s.checkF[i] = (i * i) % 7 < 3;
    for (int i = 0; i < card::CheckWNCount; ++i)
        s.checkWN[i] = (i * i + 1) % 5 < 2;
    return s;
}

const QFile::Permissions ReadWrite = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                     QFile::ReadGroup | QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther;

// A new store before each test; the test classes call init and cleanup from their own slots.
struct Fixture
{
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
        m_path = m_dir->filePath(QStringLiteral("Sav.qlk"));
        m_db = std::make_unique<store::Module1>(m_path);
        QCOMPARE(m_db->prepare().status, store::Module1::PrepareStatus::Created);
        m_store = std::make_unique<store::CardStore>(*m_db);
    }

    void cleanup()
    {
        m_store.reset();
        m_db.reset();
        if (m_dir)
            QFile::setPermissions(m_dir->path(), ReadWrite);
        QFile::setPermissions(m_path, QFile::ReadOwner | QFile::WriteOwner);
        m_dir.reset();
    }

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<store::Module1> m_db;
    std::unique_ptr<store::CardStore> m_store;
    QString m_path;
};

} // namespace cardstore
