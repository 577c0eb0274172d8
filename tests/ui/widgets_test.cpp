#include "host/core/displaytext.h"
#include "host/core/text.h"
#include "ui/buttonart.h"
#include "ui/jpegtools.h"
#include "ui/widgets.h"

#include <QFontInfo>
#include <QPainter>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

using namespace luckdial;

TEST(FontSizes, PixelHeightsAndPointsConvertAt96Dpi) {
    EXPECT_EQ(pixelsToPoints(64), 48);
    EXPECT_EQ(pointsToPixels(48), 64);
    EXPECT_EQ(pixelsToPoints(27), 20);
    EXPECT_EQ(pixelsToPoints(37), 28);
    EXPECT_EQ(pixelsToPoints(19), 14);
    EXPECT_EQ(pointsToPixels(9), 12);
    EXPECT_EQ(pointsToPixels(36), 48);
    // Every point size survives the trip through pixels.
    for (int pt = 1; pt <= 300; ++pt)
        EXPECT_EQ(pixelsToPoints(pointsToPixels(pt)), pt) << pt;
}

TEST(Colours, ValueIsRedPlus256GreenPlus65536Blue) {
    EXPECT_EQ(toQColor(65535), QColor(255, 255, 0));
    EXPECT_EQ(toQColor(16777215), QColor(255, 255, 255));
    EXPECT_EQ(toQColor(255), QColor(255, 0, 0));
    EXPECT_EQ(fromQColor(QColor(255, 128, 0)), 33023);
    EXPECT_EQ(fromQColor(QColor(0, 0, 255)), 16711680);
    for (int v : {0, 1, 256, 65536, 0x123456, 0xFFFFFF})
        EXPECT_EQ(fromQColor(toQColor(v)), v);
}

TEST(Fonts, WindowsFacesStayAsWrittenAndResolveToCjkFonts) {
    FontValue fv;
    fv.face = gbk("宋体");
    fv.size = 48;
    fv.bold = true;
    fv.underline = true;
    const QFont f = toQFont(fv);
    EXPECT_EQ(f.family(), QStringLiteral("宋体"));
    EXPECT_EQ(f.pixelSize(), 64);
    EXPECT_TRUE(f.bold());
    EXPECT_TRUE(f.underline());
    EXPECT_FALSE(f.italic());
    for (const char* face : {"宋体", "幼圆", "黑体", "楷体", "微软雅黑", "新宋体", "仿宋"}) {
        FontValue v;
        v.face = gbk(face);
        const QString resolved = QFontInfo(toQFont(v)).family();
        EXPECT_TRUE(resolved.contains(QStringLiteral("CJK")) ||
                    resolved.contains(QStringLiteral("WenQuanYi")))
            << face << " -> " << resolved.toStdString();
    }
}

TEST(Modifiers, CtrlOneShiftTwoAltFour) {
    EXPECT_EQ(modifierState(Qt::NoModifier), 0);
    EXPECT_EQ(modifierState(Qt::ControlModifier), 1);
    EXPECT_EQ(modifierState(Qt::ControlModifier | Qt::ShiftModifier), 3);
    EXPECT_EQ(modifierState(Qt::AltModifier | Qt::KeypadModifier), 4);
    EXPECT_EQ(modifierState(Qt::ControlModifier | Qt::ShiftModifier | Qt::AltModifier), 7);
}

TEST(TransparentLabel, CaptionFontAndColourRoundTrip) {
    TransparentLabel label;
    EXPECT_EQ(label.alignment(), Qt::AlignCenter);
    const std::string caption = gbk("第一行\r\n第二行\n第三行");
    label.setCaption(caption);
    EXPECT_EQ(label.caption(), caption);
    EXPECT_EQ(label.displayText(), QStringLiteral("第一行\n第二行\n第三行"));

    FontValue fv;
    fv.face = gbk("幼圆");
    fv.size = 20;
    fv.bold = true;
    fv.strikeOut = true;
    fv.angle = 900;
    label.setFontValue(fv);
    EXPECT_EQ(label.fontValue(), fv);
    EXPECT_EQ(label.font().pixelSize(), 27);
    EXPECT_TRUE(label.font().strikeOut());
    label.setTextColour(33023);
    EXPECT_EQ(label.textColour(), 33023);
}

TEST(TransparentLabel, DrawsTextInItsColourOverTheParent) {
    QWidget parent;
    parent.resize(200, 60);
    parent.setAutoFillBackground(true);
    QPalette pal;
    pal.setColor(QPalette::Window, QColor(0, 0, 128));
    parent.setPalette(pal);
    auto* label = new TransparentLabel(&parent);
    label->setGeometry(0, 0, 200, 60);
    FontValue fv;
    fv.face = gbk("黑体");
    fv.size = 30;
    fv.bold = true;
    label->setFontValue(fv);
    label->setTextColour(65535); // yellow
    label->setCaption(gbk("中奖"));
    const QImage shot = parent.grab().toImage();
    int yellow = 0;
    for (int y = 0; y < shot.height(); ++y)
        for (int x = 0; x < shot.width(); ++x) {
            const QColor c = shot.pixelColor(x, y);
            if (c.red() > 200 && c.green() > 200 && c.blue() < 80) ++yellow;
        }
    EXPECT_GT(yellow, 100);
    // No background of its own: the corners show the parent's colour.
    EXPECT_EQ(shot.pixelColor(1, 1), QColor(0, 0, 128));
    EXPECT_EQ(shot.pixelColor(198, 58), QColor(0, 0, 128));
}

namespace {

/// Counts the paint events a widget receives.
class PaintCounter : public QObject {
public:
    int paints = 0;
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint) ++paints;
        return false;
    }
};

} // namespace

TEST(TransparentLabel, ALabelPaintedElsewhereAsksForNoRepaint) {
    // Every scroll frame changes the winners caption; a label whose text
    // another widget draws must not repaint the window under its whole area.
    QWidget parent;
    parent.resize(300, 200);
    auto* label = new TransparentLabel(&parent);
    label->setGeometry(0, 0, 300, 200);
    label->setCaption(gbk("1001"));
    parent.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&parent));
    PaintCounter counter;
    label->installEventFilter(&counter);

    label->setCaption(gbk("1002"));
    QTRY_COMPARE(counter.paints, 1);

    label->setPaintedElsewhere(true);
    QTRY_COMPARE(counter.paints, 2);
    label->setCaption(gbk("1003"));
    label->setTextColour(255);
    label->setFontValue(FontValue{});
    QTest::qWait(50);
    EXPECT_EQ(counter.paints, 2);
    EXPECT_EQ(label->caption(), gbk("1003"));
}

TEST(TransparentLabel, AHugeCaptionIsKeptButDrawnBounded) {
    // Whoever sets a caption of entries bounds it; the label itself still
    // never hands the text layout more than kMaxDisplayTextBytes.
    QWidget parent;
    parent.resize(400, 80);
    auto* label = new TransparentLabel(&parent);
    label->setGeometry(0, 0, 400, 80);
    const std::string huge = std::string(3, '1') + gbk("中") + std::string(60'000'000, '8');
    label->setCaption(huge);
    EXPECT_EQ(label->caption().size(), huge.size());
    const QString shown = label->displayText();
    EXPECT_EQ(shown.size(), static_cast<qsizetype>(kMaxDisplayTextBytes - 2)); // 中 is one QChar
    EXPECT_TRUE(shown.startsWith(QString::fromUtf8("111中888")));
    EXPECT_TRUE(shown.endsWith(QString::fromUtf8("8…")));
    EXPECT_FALSE(parent.grab().isNull());
}

TEST(TransparentLabel, MouseEventsCarryTheModifierState) {
    TransparentLabel label;
    label.resize(100, 40);
    QSignalSpy left(&label, &TransparentLabel::leftPressed);
    QSignalSpy right(&label, &TransparentLabel::rightPressed);
    QSignalSpy dbl(&label, &TransparentLabel::doubleClicked);
    QTest::mousePress(&label, Qt::LeftButton, Qt::ControlModifier, {10, 10});
    QTest::mousePress(&label, Qt::LeftButton, Qt::ControlModifier | Qt::ShiftModifier, {10, 10});
    QTest::mousePress(&label, Qt::LeftButton, Qt::AltModifier, {10, 10});
    QTest::mousePress(&label, Qt::RightButton, Qt::NoModifier, {10, 10});
    QTest::mouseDClick(&label, Qt::LeftButton, Qt::NoModifier, {10, 10});
    ASSERT_GE(left.count(), 3);
    EXPECT_EQ(left.at(0).at(0).toInt(), 1);
    EXPECT_EQ(left.at(1).at(0).toInt(), 3);
    EXPECT_EQ(left.at(2).at(0).toInt(), 4);
    EXPECT_EQ(right.count(), 1);
    EXPECT_EQ(dbl.count(), 1);
}

TEST(PictureButton, CtrlPressIsTheMoveGestureAndNeverClicks) {
    PictureButton button(startButtonPictures());
    button.resize(199, 70);
    QSignalSpy clicked(&button, &QAbstractButton::clicked);
    QSignalSpy pressed(&button, &PictureButton::leftPressed);
    QTest::mouseClick(&button, Qt::LeftButton, Qt::ControlModifier, {50, 30});
    EXPECT_EQ(clicked.count(), 0);
    ASSERT_EQ(pressed.count(), 1);
    EXPECT_EQ(pressed.at(0).at(0).toInt(), 1);
    QTest::mouseClick(&button, Qt::LeftButton, Qt::NoModifier, {50, 30});
    EXPECT_EQ(clicked.count(), 1);
    QTest::mouseClick(&button, Qt::LeftButton, Qt::ControlModifier | Qt::ShiftModifier, {50, 30});
    EXPECT_EQ(clicked.count(), 2);
    EXPECT_EQ(pressed.at(2).at(0).toInt(), 3);
}

TEST(PictureButton, OwnPicturesHaveThreeDistinctLooks) {
    const ButtonPictures start = startButtonPictures();
    const ButtonPictures stop = stopButtonPictures();
    for (const QImage* img : {&start.normal, &start.hover, &start.pressed, &stop.normal}) {
        ASSERT_FALSE(img->isNull());
        EXPECT_EQ(img->size(), QSize(199, 70));
        // Rounded: the very corner is see-through, the middle is not.
        EXPECT_EQ(img->pixelColor(0, 0).alpha(), 0);
        EXPECT_EQ(img->pixelColor(100, 35).alpha(), 255);
    }
    EXPECT_NE(start.normal, start.hover);
    EXPECT_NE(start.normal, start.pressed);
    EXPECT_NE(start.normal, stop.normal);
}

TEST(PictureBox, ShowsOnlyDecodablePictures) {
    PictureBox box;
    box.resize(60, 30);
    const std::string jpeg = luckdial::testing::encodeJpeg(luckdial::testing::testPicture(30, 30));
    box.setPictureData(jpeg);
    EXPECT_TRUE(box.hasPicture());
    EXPECT_EQ(box.pictureData(), jpeg);
    // Scaled to the box: the left third of the box is the picture's red band.
    const QImage shot = box.grab().toImage();
    EXPECT_GT(shot.pixelColor(5, 15).red(), 150);
    box.setPictureData(jpeg.substr(0, jpeg.size() / 2));
    EXPECT_FALSE(box.hasPicture());
    EXPECT_EQ(box.pictureData().size(), jpeg.size() / 2);
    box.setPictureData({});
    EXPECT_FALSE(box.hasPicture());
}
