#include "library/LibraryItems.h"
#include "ui/StatPage.h"

#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QTest>

class TestStatPage : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { QLocale::setDefault(QLocale::c()); }
    void showsEachListAndTheirSum_data();
    void showsEachListAndTheirSum();
};

void TestStatPage::showsEachListAndTheirSum_data()
{
    constexpr qint64 kMiB = qint64(1) << 20;
    constexpr qint64 kGiB = qint64(1) << 30;
    QTest::addColumn<QList<qint64>>("sizes");
    QTest::addColumn<QString>("total");
    QTest::newRow("megabytes and gigabytes") << QList<qint64>{3 * kMiB / 2, 2 * kGiB, 700 * 1024} << QStringLiteral("2.0 GB");
    // Each part rounds to nothing, the sum does not: it is formatted once, from the bytes.
    QTest::newRow("small parts") << QList<qint64>{41943, 41943, 41943} << QStringLiteral("0.1 MB");
    QTest::newRow("one gigabyte in megabytes") << QList<qint64>{kGiB - 2 * kMiB, kMiB, kMiB} << QStringLiteral("1024.0 MB");
    QTest::newRow("a byte more") << QList<qint64>{kGiB - 2 * kMiB, kMiB, kMiB + 1} << QStringLiteral("1.0 GB");
}

void TestStatPage::showsEachListAndTheirSum()
{
    QFETCH(QList<qint64>, sizes);
    QFETCH(QString, total);
    StatPage page(sizes[0], sizes[1], sizes[2]);
    const auto text = [&page](const QString &name) {
        const auto *label = page.findChild<QLabel *>(name);
        return label ? label->text() : QStringLiteral("no ") + name;
    };
    QCOMPARE(page.windowTitle(), QStringLiteral("Statistic"));
    QCOMPARE(text(QStringLiteral("lblTotalSize")), total);
    QCOMPARE(text(QStringLiteral("lblTotalSize")), fileSizeText(sizes[0] + sizes[1] + sizes[2]));
    const QStringList names{QStringLiteral("Pending"), QStringLiteral("Archived"), QStringLiteral("Encoded")};
    for (int i = 0; i < 3; ++i) {
        QCOMPARE(text(QStringLiteral("lbl%1Size").arg(names[i])), fileSizeText(sizes[i]));
        QCOMPARE(text(QStringLiteral("lbl%1SizeX").arg(names[i])), QStringLiteral("%1 videos:").arg(names[i]));
    }
    QCOMPARE(text(QStringLiteral("lblTotalSizeX")), QStringLiteral("Total size on disk:"));

    page.show();
    QVERIFY(QTest::qWaitForWindowExposed(&page));
    auto *ok = page.findChild<QPushButton *>(QStringLiteral("btnOK"));
    QVERIFY(ok);
    QTest::mouseClick(ok, Qt::LeftButton);
    QCOMPARE(page.result(), int(QDialog::Accepted));
    QVERIFY(!page.isVisible());
}

QTEST_MAIN(TestStatPage)
#include "tst_statpage.moc"
