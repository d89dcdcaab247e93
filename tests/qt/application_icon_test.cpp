// The icon compiled into the Qt front end: both sizes present, each drawn at its own size.
#include "ui/qt/application_icon.h"

#include <QImage>
#include <QPixmap>
#include <QtTest>

class ApplicationIconTest : public QObject {
    Q_OBJECT

private slots:
    void eachSizeIsCompiledInAndOffered_data();
    void eachSizeIsCompiledInAndOffered();
};

void ApplicationIconTest::eachSizeIsCompiledInAndOffered_data() {
    QTest::addColumn<QString>("resource");
    QTest::addColumn<int>("pixels");
    QTest::newRow("large") << QStringLiteral(":/icons/lumivex-32.png") << 32;
    QTest::newRow("small") << QStringLiteral(":/icons/lumivex-16.png") << 16;
}

// The icon offers each size from its own drawing, not by scaling the other one.
void ApplicationIconTest::eachSizeIsCompiledInAndOffered() {
    QFETCH(QString, resource);
    QFETCH(int, pixels);
    const QImage drawn(resource);
    QCOMPARE(drawn.size(), QSize(pixels, pixels));
    QVERIFY(drawn.hasAlphaChannel());
    const QPixmap offered = lumivex::qt::application_icon().pixmap(QSize(pixels, pixels));
    QCOMPARE(offered.toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied),
             drawn.convertToFormat(QImage::Format_ARGB32_Premultiplied));
}

QTEST_MAIN(ApplicationIconTest)
#include "application_icon_test.moc"
