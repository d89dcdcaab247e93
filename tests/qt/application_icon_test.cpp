// The icon compiled into the Qt front end: both sizes present, each drawn at its own size.
#include "ui/qt/application_icon.h"

#include <QImage>
#include <QPixmap>
#include <QtTest>

class ApplicationIconTest : public QObject {
    Q_OBJECT

private slots:
    void bothSizesAreCompiledIn_data();
    void bothSizesAreCompiledIn();
    void theIconOffersBothSizes_data();
    void theIconOffersBothSizes();
};

void ApplicationIconTest::bothSizesAreCompiledIn_data() {
    QTest::addColumn<QString>("resource");
    QTest::addColumn<int>("pixels");
    QTest::newRow("large") << QStringLiteral(":/icons/lumivex-32.png") << 32;
    QTest::newRow("small") << QStringLiteral(":/icons/lumivex-16.png") << 16;
}

void ApplicationIconTest::bothSizesAreCompiledIn() {
    QFETCH(QString, resource);
    QFETCH(int, pixels);
    const QImage image(resource);
    QVERIFY2(!image.isNull(), qPrintable(resource));
    QCOMPARE(image.size(), QSize(pixels, pixels));
    QVERIFY(image.hasAlphaChannel());
}

void ApplicationIconTest::theIconOffersBothSizes_data() {
    bothSizesAreCompiledIn_data();
}

// Each size comes from its own drawing, not from scaling the other one.
void ApplicationIconTest::theIconOffersBothSizes() {
    QFETCH(QString, resource);
    QFETCH(int, pixels);
    const QPixmap pixmap = lumivex::qt::application_icon().pixmap(QSize(pixels, pixels));
    QVERIFY(!pixmap.isNull());
    QCOMPARE(pixmap.size(), QSize(pixels, pixels));
    QCOMPARE(pixmap.toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied),
             QImage(resource).convertToFormat(QImage::Format_ARGB32_Premultiplied));
}

QTEST_MAIN(ApplicationIconTest)
#include "application_icon_test.moc"
