#pragma once

#include "store/StoreFileKind.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QString>

namespace store {

// The store's connection, opened and closed around every operation. Each instance has a connection
// name of its own, so that two instances on two files never share a connection. OpenDb while open
// keeps the open connection; CloseDb with nothing open does nothing.
class Module1
{
public:
    static constexpr int BusyTimeoutMs = 1500;

    explicit Module1(QString filePath);
    ~Module1();
    Module1(const Module1&) = delete;
    Module1& operator=(const Module1&) = delete;

    const QString& filePath() const { return m_path; }

    enum class PrepareStatus { Ready, Created, Unusable };
    struct Prepared
    {
        PrepareStatus status = PrepareStatus::Unusable;
        QString error;
        QString notice; // something start-up put right on the way (a journal moved aside), for the user
    };
    // Start-up: creates a missing store with its three tables and the settings row (moving an orphan
    // journal aside first); checks that an existing one is a usable database. An unusable file is never
    // written to; every later operation refuses with the same reason.
    Prepared prepare();

    bool isUsable() const { return m_unusable.isEmpty(); }
    const QString& unusableReason() const { return m_unusable; }

    bool OpenDb(QString* error = nullptr);
    void CloseDb();
    bool isOpen() const;
    QSqlDatabase DbConnection() const;

    // Write transactions: BEGIN IMMEDIATE waits for other writers up to the busy timeout.
    bool beginWrite(QString* error);
    bool commit(QString* error);
    void rollback();

    // A message for the user that names the cause of a failed read or write.
    QString describeFailure(const QSqlError& error) const;
    QString describeOpenFailure() const;

    // Creates a store file with the schema and the settings row at the given path, by way of a
    // temporary file of a unique name, synced and renamed into place. Never replaces a file that is
    // there: when another program put its store in place first, fails and leaves that one. A journal
    // left without its store is moved aside first; orphanJournal receives its new name.
    static bool createStore(const QString& path, QString* error, QString* orphanJournal = nullptr);

private:
    friend struct Module1Seam;

    bool checkSchema(QString* error, bool* busy);
    void addListIndex();

    QString m_path;
    QString m_connection;
    QString m_unusable;
};

// RAII: opens the store for one operation and closes it at scope end, unless it was open already:
// a session closes only what it opened.
class DbSession
{
public:
    explicit DbSession(Module1& db) : m_db(db), m_opens(!db.isOpen()) { m_ok = m_db.OpenDb(&m_error); }
    ~DbSession()
    {
        if (m_opens)
            m_db.CloseDb();
    }
    DbSession(const DbSession&) = delete;
    DbSession& operator=(const DbSession&) = delete;
    bool ok() const { return m_ok; }
    const QString& error() const { return m_error; }

private:
    Module1& m_db;
    bool m_opens = false;
    bool m_ok = false;
    QString m_error;
};

} // namespace store
