#include "ui/Icons.h"

#include <QImage>
#include <QTest>

namespace {

// The share of pixels of image that are not fully transparent.
double CoveredShare(const QImage& image) {
    int covered = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            covered += qAlpha(image.pixel(x, y)) > 0 ? 1 : 0;
        }
    }
    return static_cast<double>(covered) / (image.width() * image.height());
}

// Which of red, amber or green the pixel is, or '?' when none.
char Hue(QRgb pixel) {
    const QColor colour(pixel);
    if (qAlpha(pixel) < 200 || colour.saturation() < 120) {
        return '?';
    }
    const int hue = colour.hue();
    if (hue < 15 || hue > 345) {
        return 'r';
    }
    if (hue >= 30 && hue <= 55) {
        return 'a';
    }
    return hue >= 100 && hue <= 170 ? 'g' : '?';
}

class IconsTest : public QObject {
    Q_OBJECT

private slots:
    void EveryResourceRendersAtEverySize_data();
    void EveryResourceRendersAtEverySize();
    void UnknownIdsGiveNothing();
    void BadgesAndShieldsShowTheirState_data();
    void BadgesAndShieldsShowTheirState();
    void BitmapsKeepTheirProportions();
    void ScaledScreensGetSharperPixmaps();
};

void IconsTest::EveryResourceRendersAtEverySize_data() {
    QTest::addColumn<int>("id");
    for (int id : {139, 141, 152, 158, 159, 165, 166, 167, 171, 182, 1006}) {
        QTest::newRow(QByteArray::number(id).constData()) << id;
    }
}

void IconsTest::EveryResourceRendersAtEverySize() {
    QFETCH(int, id);
    QVERIFY(ui::HasResource(id));
    const QIcon icon = ui::ResourceIcon(id);
    QVERIFY(!icon.isNull());
    for (int side : {16, 22, 32, 48, 256}) {
        const QImage image = icon.pixmap(side, side).toImage();
        QCOMPARE(image.size(), QSize(side, side));
        // The close mark is thin; everything else fills a good part of its square.
        QVERIFY2(CoveredShare(image) > (id == ui::IDI_CLOSE ? 0.05 : 0.3),
                 qPrintable(QStringLiteral("%1 at %2").arg(id).arg(side)));
    }
    const QPixmap pixmap = ui::ResourcePixmap(id, QSize(240, 172));
    QCOMPARE(pixmap.size(), QSize(240, 172));
}

void IconsTest::UnknownIdsGiveNothing() {
    for (int id : {0, 140, 1005, -1}) {
        QVERIFY(!ui::HasResource(id));
        QVERIFY(ui::ResourceIcon(id).isNull());
        QVERIFY(ui::ResourcePixmap(id, QSize(16, 16)).isNull());
        QVERIFY(ui::ResourcePath(id).isEmpty());
    }
    QVERIFY(ui::ResourcePixmap(ui::IDI_WARNING, QSize(0, 16)).isNull());
}

void IconsTest::BadgesAndShieldsShowTheirState_data() {
    QTest::addColumn<int>("id");
    QTest::addColumn<QPoint>("spot"); // in a 64-pixel square: inside the badge or shield
    QTest::addColumn<char>("hue");
    // Badges sit at the bottom right; spots avoid the white marks drawn on them.
    QTest::newRow("152 red cross") << ui::IDI_NET_NONE << QPoint(47, 37) << 'r';
    QTest::newRow("158 yellow bar") << ui::IDI_NET_CAMPUS << QPoint(47, 38) << 'a';
    QTest::newRow("159 green tick") << ui::IDI_NET_DOMESTIC << QPoint(44, 40) << 'g';
    QTest::newRow("165 red shield") << ui::IDI_GUARD_CAMPUS << QPoint(47, 28) << 'r';
    QTest::newRow("166 green shield") << ui::IDI_GUARD_DOMESTIC << QPoint(47, 28) << 'g';
    QTest::newRow("167 red shield") << ui::IDI_GUARD_NONE << QPoint(47, 28) << 'r';
    QTest::newRow("141 amber triangle") << ui::IDI_WARNING << QPoint(20, 48) << 'a';
}

void IconsTest::BadgesAndShieldsShowTheirState() {
    QFETCH(int, id);
    QFETCH(QPoint, spot);
    QFETCH(char, hue);
    const QImage image = ui::ResourcePixmap(id, QSize(64, 64)).toImage();
    QCOMPARE(Hue(image.pixel(spot)), hue);
}

void IconsTest::BitmapsKeepTheirProportions() {
    // The popup's face drawn into a wider box is scaled to cover it and cut at top and
    // bottom, not stretched: at 300 x 140 it is scaled by 1.25 and 17.5 rows are cut above,
    // so row 26 shows row 35 of the face, below its band (rows 0 to 30).
    const QImage exact = ui::ResourcePixmap(ui::IDB_POPUP_BACKGROUND, QSize(240, 140)).toImage();
    const QImage wide = ui::ResourcePixmap(ui::IDB_POPUP_BACKGROUND, QSize(300, 140)).toImage();
    QCOMPARE(Hue(exact.pixel(120, 5)), 'a');
    QCOMPARE(Hue(exact.pixel(120, 26)), 'a');
    QCOMPARE(Hue(exact.pixel(120, 60)), '?');
    QCOMPARE(Hue(wide.pixel(150, 5)), 'a');
    QCOMPARE(Hue(wide.pixel(150, 26)), '?');
}

void IconsTest::ScaledScreensGetSharperPixmaps() {
    const QPixmap scaled = ui::ResourcePixmap(ui::IDI_NET_DOMESTIC, QSize(16, 16), 2.0);
    QCOMPARE(scaled.size(), QSize(32, 32));
    QCOMPARE(scaled.devicePixelRatio(), 2.0);
    const QPixmap fromIcon = ui::ResourceIcon(ui::IDI_NET_DOMESTIC).pixmap(QSize(16, 16), 2.0);
    QCOMPARE(fromIcon.size(), QSize(32, 32));
}

} // namespace

QTEST_MAIN(IconsTest)
#include "IconsTest.moc"
