#include "ui/fireworks.h"
#include "ui/mainwindow.h"
#include "ui/widgets.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <set>

using namespace luckdial;

namespace {

/// Pixels that differ from the plain background colour in the window's picture.
int changedPixels(MainWindow& w) {
    const QImage shot = w.grab().toImage();
    const QColor plain = shot.pixelColor(0, 0);
    int n = 0;
    for (int y = 0; y < shot.height(); y += 2)
        for (int x = 0; x < shot.width(); x += 2)
            if (shot.pixelColor(x, y) != plain) ++n;
    return n;
}

} // namespace

TEST(Fireworks, OpenCoversTheWindowAndCloseStops) {
    MainWindow w;
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    FireworksOverlay* fx = w.fireworks();
    ASSERT_NE(fx, nullptr);
    EXPECT_FALSE(fx->isOpen());
    EXPECT_FALSE(fx->isVisible());
    EXPECT_EQ(fx->parentWidget(), &w);
    EXPECT_TRUE(fx->testAttribute(Qt::WA_TransparentForMouseEvents));
    EXPECT_EQ(fx->focusPolicy(), Qt::NoFocus);

    w.elements().startButton->setFocus();
    fx->open(2);
    EXPECT_TRUE(fx->isOpen());
    EXPECT_TRUE(fx->isVisible());
    EXPECT_EQ(fx->variant(), 2);
    EXPECT_EQ(fx->geometry(), w.rect());
    EXPECT_TRUE(fx->isWindow() == false);
    // It never takes the focus from the start button.
    EXPECT_TRUE(w.elements().startButton->hasFocus());

    w.resize(640, 480);
    EXPECT_EQ(fx->geometry(), QRect(0, 0, 640, 480));

    fx->close();
    EXPECT_FALSE(fx->isOpen());
    EXPECT_FALSE(fx->isVisible());
    fx->close(); // closing a closed effect does nothing
    EXPECT_FALSE(fx->isOpen());
}

TEST(Fireworks, AnimatesByItsOwnTimerWithoutBlocking) {
    MainWindow w;
    w.resize(800, 600);
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    FireworksOverlay* fx = w.fireworks();
    QElapsedTimer t;
    t.start();
    fx->open(1);
    EXPECT_LT(t.elapsed(), 200); // open returns at once
    // Rockets rise and burst within about a second and a half of frames.
    QTest::qWait(1500);
    EXPECT_GT(fx->particleCount(), 50u);
    fx->close();
    EXPECT_EQ(fx->particleCount(), 0u);
    const std::size_t before = fx->rocketCount();
    QTest::qWait(100);
    EXPECT_EQ(fx->rocketCount(), before); // no frames after close
}

TEST(Fireworks, ThreeVariantsDrawDifferently) {
    MainWindow w;
    w.resize(600, 400);
    w.setBackgroundColour(0);
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    // Hide the design elements so only the effect changes pixels.
    for (QWidget* child : w.findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        if (child != w.fireworks()) child->hide();
    const int plain = changedPixels(w);
    EXPECT_EQ(plain, 0);

    FireworksOverlay* fx = w.fireworks();
    std::set<std::size_t> counts;
    for (int variant : {1, 2, 3}) {
        fx->open(variant);
        fx->close();
        fx->open(variant);
        for (int i = 0; i < 60; ++i)
            fx->step();
        EXPECT_EQ(fx->variant(), variant);
        EXPECT_GT(fx->particleCount(), 0u) << "variant " << variant;
        EXPECT_GT(changedPixels(w), 20) << "variant " << variant;
        counts.insert(fx->particleCount());
        fx->close();
        EXPECT_EQ(changedPixels(w), 0) << "variant " << variant;
    }
    fx->open(9);
    EXPECT_EQ(fx->variant(), 3);
    fx->open(0);
    EXPECT_EQ(fx->variant(), 1);
    fx->close();
}
