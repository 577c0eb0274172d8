#include "drawfixture.h"

#include <QBuffer>
#include <QImage>

namespace luckdial {
namespace {

using Selector = DrawFixture;

std::string jpegBytes() {
    QImage image(8, 8, QImage::Format_RGB32);
    image.fill(Qt::red);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPG");
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

TEST_F(Selector, RestoresTheWinnerNumberFromTheCounter) {
    setRow(2, "一等奖", "10", "1");
    setRow(3, "二等奖", "4", "1");
    state.counters[1] = 3;
    select("一等奖");
    EXPECT_EQ(state.winnerNumber, 4);
    EXPECT_EQ(state.levelLimit, 11);
    EXPECT_EQ(e.progress->caption(), gbk("一等奖 已抽取3名"));
    EXPECT_EQ(e.progress->width(), 16 * 11);
    EXPECT_EQ(e.prizeName->caption(), gbk("一等奖"));

    select("二等奖");
    EXPECT_EQ(state.winnerNumber, 1);
    EXPECT_EQ(state.levelLimit, 5);
    EXPECT_EQ(e.progress->caption(), gbk("一等奖 已抽取3名"));

    // A text that matches no row keeps the previous limit.
    select("不存在");
    EXPECT_EQ(state.winnerNumber, 1);
    EXPECT_EQ(state.levelLimit, 5);
    EXPECT_EQ(e.prizeName->caption(), gbk("不存在"));
}

TEST_F(Selector, ACompletedLevelIsRefusedAndChangesNothing) {
    setRow(2, "一等奖", "10", "1");
    setRow(3, "二等奖", "4", "1");
    state.counters[1] = 2;
    select("一等奖");
    state.exhausted[2] = 4;
    host.expectMessage(gbk("没有本奖项或本奖项已经抽取完毕！"), IdOk, gbk("信息："));
    select("二等奖");
    EXPECT_EQ(state.winnerNumber, 3);
    EXPECT_EQ(state.levelLimit, 11);
    EXPECT_EQ(e.prizeName->caption(), gbk("一等奖"));

    // A row with an empty quota is refused the same way.
    host.expectMessage(gbk("没有本奖项或本奖项已经抽取完毕！"));
    select("三等奖");
    EXPECT_EQ(state.levelLimit, 11);
}

TEST_F(Selector, PictureDecidesWhetherPictureAndNameShow) {
    setRow(1, "特等奖", "3", "1");
    setRow(2, "一等奖", "3", "1");
    ASSERT_TRUE(host.createDirectory(host.path(gbk("奖品图片"))));
    const std::string jpeg = jpegBytes();
    ASSERT_FALSE(jpeg.empty());
    ASSERT_TRUE(host.writeFile(host.path(gbk("奖品图片\\2.jpg")), jpeg));

    select("一等奖");
    EXPECT_EQ(e.prizePicture->pictureData(), jpeg);
    EXPECT_TRUE(e.prizePicture->hasPicture());
    EXPECT_FALSE(e.prizePicture->isHidden());
    EXPECT_FALSE(e.prizeName->isHidden());

    select("特等奖");
    EXPECT_FALSE(e.prizePicture->hasPicture());
    EXPECT_TRUE(e.prizePicture->isHidden());
    EXPECT_TRUE(e.prizeName->isHidden());
    EXPECT_EQ(e.prizeName->caption(), gbk("特等奖"));

    // An unmatched text keeps the previous (absent) picture.
    select("一等奖");
    select("别的");
    EXPECT_TRUE(e.prizePicture->hasPicture());
    EXPECT_FALSE(e.prizeName->isHidden());
}

TEST_F(Selector, PickingAnItemRunsTheHandlerOnce) {
    setRow(1, "特等奖", "3", "1");
    setRow(2, "一等奖", "3", "1");
    state.exhausted[1] = 3;
    e.levelCombo->addItem(q("特等奖"));
    e.levelCombo->addItem(q("一等奖"));
    setLevelQuietly("特等奖");
    // One message for one pick, although both notifications arrive.
    host.expectMessage(gbk("没有本奖项或本奖项已经抽取完毕！"));
    e.levelCombo->setCurrentIndex(1);
    Q_EMIT e.levelCombo->activated(1);
    host.processEvents();
    // Picking the item already shown changes no text: the activation alone runs it.
    host.expectMessage(gbk("没有本奖项或本奖项已经抽取完毕！"));
    Q_EMIT e.levelCombo->activated(1);
    EXPECT_EQ(host.pendingAnswers(), 0u);
}

TEST_F(Selector, PictureMarksFollowTheFilesOnDisk) {
    host.advance(200);
    for (auto* button : e.panel.browse)
        EXPECT_EQ(button->text(), q("《无"));

    ASSERT_TRUE(host.createDirectory(host.path(gbk("奖品图片"))));
    ASSERT_TRUE(host.writeFile(host.path(gbk("奖品图片\\2.jpg")), std::string("x")));
    host.advance(200);
    for (std::size_t i = 0; i < 8; ++i)
        EXPECT_EQ(e.panel.browse[i]->text(), i == 1 ? q("《有") : q("《无")) << i;

    // The open panel is kept in front of the display.
    host.broughtToFront.clear();
    host.advance(200);
    EXPECT_TRUE(host.broughtToFront.empty());
    e.panel.frame->show();
    host.advance(400);
    EXPECT_EQ(host.broughtToFront, (std::vector<std::string>{gbk("外形框1"), gbk("外形框1")}));
}

} // namespace
} // namespace luckdial
