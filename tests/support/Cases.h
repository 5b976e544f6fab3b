#pragma once

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QtTest>

// The rows of one table of tests/data/FILE.json. Each row is an array whose first entry names
// it; strings that stand for bytes hold them as code points 0 to 255.
inline QList<QJsonArray> cases(const char *file, const char *table) {
    QFile json(QStringLiteral(TINTWRIGHT_TEST_DATA "/%1.json").arg(QLatin1String(file)));
    QList<QJsonArray> rows;
    if (json.open(QIODevice::ReadOnly))
        for (const QJsonValue row :
             QJsonDocument::fromJson(json.readAll())[QLatin1String(table)].toArray())
            if (row.isArray())
                rows << row.toArray();
    return rows;
}

// The same rows as the data of a test, in one column "row".
inline void addCases(const char *file, const char *table) {
    QTest::addColumn<QJsonArray>("row");
    for (const QJsonArray &row : cases(file, table))
        QTest::newRow(qPrintable(row[0].toString())) << row;
    QVERIFY(QTest::currentTestFunction() && !cases(file, table).isEmpty());
}

// The rows of a table whose rows are objects with named fields, "name" naming each, as the
// data of a test in one column "row".
inline void addNamedCases(const char *file, const char *table) {
    QFile json(QStringLiteral(TINTWRIGHT_TEST_DATA "/%1.json").arg(QLatin1String(file)));
    QVERIFY(json.open(QIODevice::ReadOnly));
    QTest::addColumn<QJsonObject>("row");
    const QJsonArray rows = QJsonDocument::fromJson(json.readAll())[QLatin1String(table)].toArray();
    for (const QJsonValue row : rows)
        if (row.isObject())
            QTest::newRow(qPrintable(row["name"].toString())) << row.toObject();
    QVERIFY(!rows.isEmpty());
}
