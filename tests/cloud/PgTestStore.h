#pragma once

// Runs the services a test starts through CloudRunner on a PostgreSQL test server: every data
// folder gets a database of its own on it (created on first use), the outbox stays in the folder.

#include "cloud/CloudRunner.h"
#include "cloud/PgServer.h"

#include <QCryptographicHash>
#include <QDebug>
#include <QDir>

#include <set>

// The PostgreSQL server the services of this test run on; null: SQLite.
inline PgServer*& testPostgres() {
    static PgServer* server = nullptr;
    return server;
}

// The database of a data folder on the test server, created on first use.
inline QString testDatabaseName(const QString& dataDir) {
    static std::set<QString> created;
    const QString name =
        "t_" + QCryptographicHash::hash(QDir::cleanPath(dataDir).toUtf8(), QCryptographicHash::Sha1)
                   .toHex()
                   .left(20);
    if (created.insert(name).second) {
        QString error;
        if (!testPostgres()->createDatabase(name, &error))
            qWarning() << "cannot create the database" << name << error;
    }
    return name;
}

// Sets (or, with null, ends) the server the services run on.
inline void setTestPostgres(PgServer* server) {
    testPostgres() = server;
    if (!server) {
        storageOverride() = nullptr;
        return;
    }
    storageOverride() = [](const QString& dataDir) {
        return QStringList{"--database", testPostgres()->url(testDatabaseName(dataDir)), "--outbox",
                           dataDir + "/outbox"};
    };
}
