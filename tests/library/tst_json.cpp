#include "library/JsonReader.h"

#include <QTest>

class TestJson : public QObject
{
    Q_OBJECT
private slots:
    void serviceReplies();
    void nullAndEmptyTexts();
    void lenientCommasAndTrailingText();
    void stringsAndEscapes();
    void failures_data();
    void failures();
    void deepNestingFailsInsteadOfCrashing();
};

void TestJson::serviceReplies()
{
    bool ok = false;
    const QVariant reply = parseJson(QStringLiteral(" {\"code\": 2, \"url\": \"http://127.0.0.1:8470/files/setup.run\",\n        \"rooms\": [12, 45], \"ok\": true, \"off\": false, \"gone\": null, \"code\": 3} "), ok);
    QVERIFY(ok);
    const QVariantMap map = reply.toMap();
    // Numbers stay text; the last of repeated keys wins.
    QCOMPARE(map.value(QStringLiteral("code")).typeId(), QMetaType::QString);
    QCOMPARE(map.value(QStringLiteral("code")).toInt(), 3);
    QCOMPARE(map.value(QStringLiteral("url")).toString(), QStringLiteral("http://127.0.0.1:8470/files/setup.run"));
    QCOMPARE(map.value(QStringLiteral("rooms")).toList(), (QVariantList{QStringLiteral("12"), QStringLiteral("45")}));
    QCOMPARE(map.value(QStringLiteral("ok")), QVariant(true));
    QCOMPARE(map.value(QStringLiteral("off")), QVariant(false));
    QVERIFY(map.contains(QStringLiteral("gone")));
    QVERIFY(!map.value(QStringLiteral("gone")).isValid());
    // Number texts are not checked.
    QCOMPARE(parseJson(QStringLiteral("-1.2e+3x"), ok).toString(), QStringLiteral("-1.2e+3"));
    QCOMPARE(parseJson(QStringLiteral("1-2e"), ok).toString(), QStringLiteral("1-2e"));
}

void TestJson::nullAndEmptyTexts()
{
    bool ok = false;
    QVERIFY(!parseJson(QString(), ok).isValid());
    QVERIFY(ok);
    QVERIFY(!parseJson(QStringLiteral(""), ok).isValid());
    QVERIFY(!ok);
    QVERIFY(!parseJson(QStringLiteral(" \t\r\n"), ok).isValid());
    QVERIFY(!ok);
}

void TestJson::lenientCommasAndTrailingText()
{
    bool ok = false;
    const QVariantList expected{QStringLiteral("1"), QStringLiteral("2")};
    for (const char *text : {"[1 2]", "[,1,,2,]", "[1,2]"}) {
        QCOMPARE(parseJson(QString::fromLatin1(text), ok).toList(), expected);
        QVERIFY(ok);
    }
    QCOMPARE(parseJson(QStringLiteral("{\"a\":1}{\"b\":2} garbage"), ok).toMap().keys(), QStringList{QStringLiteral("a")});
    QVERIFY(ok);
    QCOMPARE(parseJson(QStringLiteral("{,\"a\":1,,}"), ok).toMap().size(), 1);
    QVERIFY(ok);
}

void TestJson::stringsAndEscapes()
{
    bool ok = false;
    QCOMPARE(parseJson(QStringLiteral("\"\\u0041\\x\\\"\\\\\\/\\b\\f\\n\\r\\t é\""), ok).toString(),
             QStringLiteral("A\"\\/\b\f\n\r\t é"));
    QVERIFY(ok);
    QCOMPARE(parseJson(QStringLiteral("{\"error\":\"Not logged in\"}"), ok).toMap().value(QStringLiteral("error")).toString(),
             QStringLiteral("Not logged in"));
}

void TestJson::failures_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("unterminated string") << QStringLiteral("\"abc");
    QTest::newRow("unterminated object") << QStringLiteral("{\"a\":1");
    QTest::newRow("unterminated array") << QStringLiteral("[1, 2");
    QTest::newRow("key without quotes") << QStringLiteral("{a:1}");
    QTest::newRow("missing colon") << QStringLiteral("{\"a\" 1}");
    QTest::newRow("short unicode escape") << QStringLiteral("\"\\u00");
    QTest::newRow("backslash at the end") << QStringLiteral("\"\\");
    QTest::newRow("unknown word") << QStringLiteral("nope");
    QTest::newRow("failure deep inside") << QStringLiteral("{\"a\":[1,{\"b\":tru}]}");
}

void TestJson::failures()
{
    QFETCH(QString, text);
    bool ok = true;
    const QVariant result = parseJson(text, ok);
    QVERIFY(!ok);
    // Never a partial tree.
    QVERIFY(!result.isValid() || (result.toMap().isEmpty() && result.toList().isEmpty()));
}

void TestJson::deepNestingFailsInsteadOfCrashing()
{
    bool ok = false;
    const QString deep = QString(kJsonMaxDepth, QLatin1Char('[')) + QString(kJsonMaxDepth, QLatin1Char(']'));
    QVERIFY(parseJson(deep, ok).isValid());
    QVERIFY(ok);
    const QString deeper = QString(100000, QLatin1Char('[')) + QString(100000, QLatin1Char(']'));
    parseJson(deeper, ok);
    QVERIFY(!ok);
    parseJson(QString(100000, QLatin1Char('{')).replace(QLatin1String("{"), QLatin1String("{\"a\":")), ok);
    QVERIFY(!ok);
}

QTEST_GUILESS_MAIN(TestJson)
#include "tst_json.moc"
