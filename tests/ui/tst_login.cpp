#include "LoginRequests.h"
#include "PasswordEdit.h"

#include <QTest>

class TestLogin : public QObject
{
    Q_OBJECT
private slots:
    void rememberedPasswordUntilEdited();
};

void TestLogin::rememberedPasswordUntilEdited()
{
    PasswordEdit edit;
    const QString normal = edit.styleSheet();
    QCOMPARE(edit.echoMode(), QLineEdit::Password);
    QCOMPARE(edit.encodedPassword(), QString());

    // A remembered digest: seven grey bullets, and the digest itself is what is sent.
    const QString stored = passwordDigest(QStringLiteral("secret"));
    edit.setEncodedPassword(stored);
    QCOMPARE(edit.text().size(), 7);
    QVERIFY(edit.styleSheet().contains(QStringLiteral("rgb(172, 172, 172)")));
    QCOMPARE(edit.encodedPassword(), stored);

    // Any edit by the user makes it a plain box again; what remains is what was typed.
    edit.setFocus();
    edit.end(false);
    QTest::keyClick(&edit, Qt::Key_Backspace);
    QVERIFY(!edit.isUsingStored());
    QCOMPARE(edit.styleSheet(), normal);
    QCOMPARE(edit.encodedPassword(), passwordDigest(QStringLiteral("012345")));
    edit.clear();
    QCOMPARE(edit.encodedPassword(), QString());
    edit.setText(QStringLiteral("pässwörd"));
    QCOMPARE(edit.encodedPassword(), QStringLiteral("12841e4ba5e37d2fbfc78458c6714ade"));
}

QTEST_MAIN(TestLogin)
#include "tst_login.moc"
