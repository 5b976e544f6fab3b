#pragma once

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QtTest>

// The cases of one table of tests/data/FILE.json: each an object of named fields, "name" naming
// it; strings that stand for bytes hold them as code points 0 to 255. A table starts with a
// text that says what its fields mean. A table with no cases fails the test.
inline QList<QJsonObject> cases(const char *file, const char *table) {
    QFile json(QStringLiteral(TINTWRIGHT_TEST_DATA "/%1.json").arg(QLatin1String(file)));
    QList<QJsonObject> rows;
    if (json.open(QIODevice::ReadOnly))
        for (const QJsonValue row :
             QJsonDocument::fromJson(json.readAll())[QLatin1String(table)].toArray())
            if (row.isObject())
                rows << row.toObject();
    if (rows.isEmpty())
        QTest::qFail(qPrintable(QLatin1String("no cases in ") + QLatin1String(table)), __FILE__,
                     __LINE__);
    return rows;
}

// The same cases as the data of a test, in one column "row".
inline void addCases(const char *file, const char *table) {
    QTest::addColumn<QJsonObject>("row");
    const QList<QJsonObject> rows = cases(file, table);
    for (const QJsonObject &row : rows)
        QTest::newRow(qPrintable(row["name"].toString())) << row;
}
