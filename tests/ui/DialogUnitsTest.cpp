#include "ui/DialogUnits.h"

#include <QFontMetrics>
#include <QLabel>
#include <QTest>

namespace {

class DialogUnitsTest : public QObject {
    Q_OBJECT

private slots:
    void BasesComeFromTheFontMetrics();
    void ConvertsWithRounding_data();
    void ConvertsWithRounding();
    void TouchingRectanglesStayTouching();
    void PlaceSetsGeometryAndObjectName();
    void ChineseLabelsFitTheirTemplateWidth();
};

void DialogUnitsTest::BasesComeFromTheFontMetrics() {
    const QFont font = ui::DialogFont();
    const ui::CDialogUnits units(font);
    const QFontMetrics metrics(font);
    QCOMPARE(units.BaseY(), metrics.height());
    QVERIFY(units.BaseX() * 2 >= metrics.horizontalAdvance(QChar(0x4E2D)));
    QVERIFY(units.BaseX() > 0);
    // Four horizontal units make one average character, eight vertical ones a line.
    QCOMPARE(units.X(4), units.BaseX());
    QCOMPARE(units.Y(8), units.BaseY());
    QCOMPARE(units.X(0), 0);
}

void DialogUnitsTest::ConvertsWithRounding_data() {
    QTest::addColumn<int>("pointSize");
    QTest::newRow("small") << 8;
    QTest::newRow("normal") << 9;
    QTest::newRow("large") << 14;
}

void DialogUnitsTest::ConvertsWithRounding() {
    QFETCH(int, pointSize);
    QFont font = ui::DialogFont();
    font.setPointSize(pointSize);
    const ui::CDialogUnits units(font);
    for (int value : {1, 3, 7, 81, 301}) {
        // value * base / 4 to the nearest pixel, halves upwards.
        QCOMPARE(units.X(value), (value * units.BaseX() * 2 + 4) / 8);
        QCOMPARE(units.Y(value), (value * units.BaseY() * 2 + 8) / 16);
    }
    QCOMPARE(units.Size(40, 16), QSize(units.X(40), units.Y(16)));
}

void DialogUnitsTest::TouchingRectanglesStayTouching() {
    const ui::CDialogUnits units(ui::DialogFont());
    // The buttons of the ping template: 9,56 62x14 and 73,56 61x14 leave a 2-unit gap.
    const QRect ok = units.Rect(9, 56, 62, 14);
    const QRect cancel = units.Rect(73, 56, 61, 14);
    QCOMPARE(ok.left(), units.X(9));
    QCOMPARE(ok.right() + 1, units.X(71));
    QCOMPARE(cancel.left(), units.X(73));
    QCOMPARE(ok.bottom() + 1, units.Y(70));
    const QRect left = units.Rect(7, 7, 13, 5);
    const QRect right = units.Rect(20, 7, 13, 5);
    QCOMPARE(left.right() + 1, right.left());
}

void DialogUnitsTest::PlaceSetsGeometryAndObjectName() {
    const ui::CDialogUnits units(ui::DialogFont());
    QWidget parent;
    QLabel label(QStringLiteral("x"), &parent);
    units.Place(label, 1038, 13, 31, 116, 12);
    QCOMPARE(label.objectName(), QStringLiteral("id1038"));
    QCOMPARE(label.geometry(), units.Rect(13, 31, 116, 12));
    QLabel unnamed(&parent);
    unnamed.setObjectName(QStringLiteral("caption"));
    units.Place(unnamed, 0, 1, 2, 3, 4);
    QCOMPARE(unnamed.objectName(), QStringLiteral("caption"));
}

void DialogUnitsTest::ChineseLabelsFitTheirTemplateWidth() {
    // Labels of the templates with the width they were given there.
    const struct {
        const char* text;
        int width;
    } labels[] = {{"请输入主机名或IP地址:", 81},
                  {"请输入目标主机名或IP地址:", 98},
                  {"请输入需要解析的域名:", 84},
                  {"删除所有账号信息", 67}};
    const QFont font = ui::DialogFont();
    const ui::CDialogUnits units(font);
    const QFontMetrics metrics(font);
    for (const auto& label : labels) {
        QVERIFY2(metrics.horizontalAdvance(QString::fromUtf8(label.text)) <= units.X(label.width),
                 label.text);
    }
}

} // namespace

QTEST_MAIN(DialogUnitsTest)
#include "DialogUnitsTest.moc"
