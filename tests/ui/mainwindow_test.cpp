#include "host/core/text.h"
#include "host/qtext.h"
#include "ui/fireworks.h"
#include "ui/jpegtools.h"
#include "ui/loadingcaption.h"
#include "ui/mainwindow.h"
#include "ui/widgets.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

using namespace luckdial;

namespace {

QString u(const char* s) {
    return QString::fromUtf8(s);
}

template <class T> T* find(QWidget& root, const char* objectName) {
    return root.findChild<T*>(u(objectName));
}

struct LabelRow {
    const char* name;
    QRect geometry;
    bool visible;
    const char* text;
    int points; // from the design's character height
    bool bold;
    int colour;
};

QStringList actionNames(const QMenu* menu) {
    QStringList names;
    for (const QAction* a : menu->actions())
        names << a->objectName();
    return names;
}

} // namespace

TEST(MainWindow, CaptionAndDesignSize) {
    MainWindow w;
    EXPECT_EQ(w.windowTitle(), QStringLiteral("LuckdialVer4.93"));
    EXPECT_EQ(w.geometry(), QRect(50, 50, 1000, 760));
    EXPECT_EQ(w.elements().window, &w);
}

TEST(MainWindow, DisplayElementsAsDesigned) {
    MainWindow w;
    const LabelRow rows[] = {
        {"透明标签_主标题",
         {24, 20, 976, 90},
         true,
         "某某公司销售现场抽奖活动",
         48,
         true,
         0xFFFFFF},
        {"透明标签_副标题",
         {0, 120, 1024, 60},
         true,
         "----------2011年销售现场抽奖活动---------\r\n\r\n",
         20,
         true,
         0xFFFFFF},
        {"透明标签_中奖人", {64, 340, 920, 70}, true, "", 28, true, 65535},
        {"透明标签_恭喜", {8, 265, 976, 70}, false, "", 36, true, 65535},
        {"透明标签_奖项等级", {43, 704, 125, 30}, true, "选择奖项等级：", 14, false, 0xFFFFFF},
        {"透明标签_抽取进度", {312, 704, 48, 30}, true, "", 14, true, 33023},
        {"透明标签_奖品名称", {728, 400, 270, 0}, false, "", 22, true, 65535},
        {"透明标签_按钮移动", {671, 264, 25, 64}, true, "", 9, false, 0xFFFFFF},
        {"透明标签_开关", {0, 0, 40, 40}, false, "", 9, false, 0xFFFFFF},
    };
    for (const LabelRow& r : rows) {
        SCOPED_TRACE(r.name);
        auto* l = find<TransparentLabel>(w, r.name);
        ASSERT_NE(l, nullptr);
        EXPECT_EQ(l->parentWidget(), &w);
        EXPECT_EQ(l->geometry(), r.geometry);
        EXPECT_EQ(!l->isHidden(), r.visible);
        EXPECT_EQ(l->caption(), gbk(r.text));
        EXPECT_EQ(l->fontValue().size, r.points);
        EXPECT_EQ(l->fontValue().bold, r.bold);
        EXPECT_EQ(l->textColour(), r.colour);
    }
    EXPECT_EQ(find<TransparentLabel>(w, "透明标签_主标题")->fontValue().face, gbk("宋体"));
    EXPECT_EQ(find<TransparentLabel>(w, "透明标签_副标题")->fontValue().face, gbk("幼圆"));

    auto* combo = find<QComboBox>(w, "组合框1");
    ASSERT_NE(combo, nullptr);
    EXPECT_TRUE(combo->isEditable());
    EXPECT_EQ(combo->geometry(), QRect(180, 704, 108, 30));
    EXPECT_EQ(combo->count(), 0);

    auto* picture = find<PictureBox>(w, "动画框_奖品图片");
    ASSERT_NE(picture, nullptr);
    EXPECT_EQ(picture->geometry(), QRect(672, 272, 248, 240));
    EXPECT_TRUE(picture->isHidden());

    auto* start = find<PictureButton>(w, "超级按钮_开始");
    auto* stop = find<PictureButton>(w, "超级按钮_停止");
    ASSERT_TRUE(start && stop);
    EXPECT_EQ(start->geometry(), QRect(465, 190, 199, 70));
    EXPECT_EQ(stop->geometry(), start->geometry());
    EXPECT_FALSE(start->isHidden());
    EXPECT_TRUE(stop->isHidden());

    auto* scratch = find<QLineEdit>(w, "编辑框1");
    ASSERT_NE(scratch, nullptr);
    EXPECT_EQ(scratch->parentWidget(), &w);
    EXPECT_TRUE(scratch->isHidden());
}

TEST(MainWindow, ElementStructPointsAtTheNamedWidgets) {
    MainWindow w;
    MainElements& e = w.elements();
    const std::pair<QWidget*, const char*> named[] = {
        {e.mainTitle, "透明标签_主标题"},
        {e.subTitle, "透明标签_副标题"},
        {e.winners, "透明标签_中奖人"},
        {e.congrats, "透明标签_恭喜"},
        {e.levelCaption, "透明标签_奖项等级"},
        {e.levelCombo, "组合框1"},
        {e.progress, "透明标签_抽取进度"},
        {e.prizePicture, "动画框_奖品图片"},
        {e.prizeName, "透明标签_奖品名称"},
        {e.startButton, "超级按钮_开始"},
        {e.stopButton, "超级按钮_停止"},
        {e.buttonGrip, "透明标签_按钮移动"},
        {e.switchMark, "透明标签_开关"},
        {e.scratch, "编辑框1"},
        {e.panel.frame, "外形框1"},
        {e.panel.icon, "图片框1"},
        {e.panel.caption, "透明标签2"},
        {e.panel.closeMark, "标签8"},
        {e.panel.group, "分组框1"},
        {e.panel.hotKeyLabel, "标签1"},
        {e.panel.scrollSpeed, "编辑框_滚动速度"},
        {e.panel.pictureWidth, "编辑框_奖品图片宽"},
        {e.panel.pictureHeight, "编辑框_奖品图片高"},
        {e.panel.autoStop, "编辑框_自动停止"},
        {e.panel.fireworksTime, "编辑框_烟花时间"},
        {e.panel.disableEffects, "选择框_禁用特效"},
        {e.panel.allowRepeat, "选择框_是否允许重复抽奖"},
        {e.panel.hideButtons, "选择框_不显示按钮"},
        {e.panel.mask, "选择框_屏蔽"},
        {e.panel.maskLeft, "编辑框_屏蔽左"},
        {e.panel.maskRight, "编辑框_屏蔽右"},
        {e.panel.maskChars, "编辑框_屏蔽字符"},
        {e.panel.save, "按钮_保存"},
    };
    for (const auto& [widget, objectName] : named) {
        ASSERT_NE(widget, nullptr) << objectName;
        EXPECT_EQ(widget->objectName(), u(objectName));
    }
    for (int i = 0; i < 8; ++i) {
        const QString n = QString::number(i + 1);
        EXPECT_EQ(e.panel.name[i]->objectName(), u("编辑框_奖项") + n);
        EXPECT_EQ(e.panel.quota[i]->objectName(), u("编辑框_奖项人数") + n);
        EXPECT_EQ(e.panel.perDraw[i]->objectName(), u("编辑框_一次抽") + n);
        EXPECT_EQ(e.panel.columns[i]->objectName(), u("编辑框_列数") + n);
        EXPECT_EQ(e.panel.browse[i]->objectName(), u("按钮_奖项") + n + u("浏览"));
        EXPECT_EQ(e.panel.clear[i]->objectName(), u("按钮_奖项") + n + u("浏览1"));
        EXPECT_EQ(e.panel.presetN[i]->objectName(), u("编辑框_中奖人") + n);
        EXPECT_EQ(e.panel.presetNN[i]->objectName(), u("编辑框_中奖人") + n + n);
        EXPECT_EQ(e.panel.presetNNN[i]->objectName(), u("编辑框_中奖人") + n + n + n);
    }
}

TEST(MainWindow, SettingsPanelAsDesigned) {
    MainWindow w;
    PanelElements& p = w.elements().panel;
    EXPECT_EQ(p.frame->geometry(), QRect(16, 144, 347, 452));
    EXPECT_TRUE(p.frame->isHidden());
    EXPECT_EQ(p.icon->geometry(), QRect(4, 3, 16, 16));
    EXPECT_EQ(p.caption->text(), u("● 奖项设置"));
    EXPECT_EQ(p.closeMark->text(), u("メ"));
    EXPECT_EQ(p.closeMark->geometry(), QRect(323, 3, 20, 17));
    EXPECT_EQ(p.group->parentWidget(), p.frame);
    EXPECT_EQ(p.group->geometry(), QRect(2, 20, 342, 428));

    EXPECT_EQ(p.name[0]->text(), u("特等奖"));
    EXPECT_EQ(p.name[2]->text(), u("二等奖"));
    EXPECT_EQ(p.name[7]->text(), u("七等奖"));
    EXPECT_EQ(p.name[2]->geometry(), QRect(9, 78, 50, 20));
    EXPECT_EQ(p.quota[6]->geometry(), QRect(72, 174, 30, 20));
    EXPECT_TRUE(p.quota[6]->text().isEmpty());
    EXPECT_EQ(p.perDraw[4]->text(), u("1"));
    EXPECT_EQ(p.columns[3]->geometry(), QRect(182, 101, 40, 20));
    EXPECT_EQ(p.browse[4]->geometry(), QRect(235, 128, 40, 20));
    EXPECT_EQ(p.browse[4]->text(), u("《"));
    EXPECT_EQ(p.clear[7]->geometry(), QRect(277, 199, 57, 20));
    EXPECT_EQ(p.clear[7]->text(), u("清除图片"));

    EXPECT_EQ(p.scrollSpeed->text(), u("30"));
    EXPECT_EQ(p.pictureWidth->text(), u("270"));
    EXPECT_EQ(p.pictureHeight->text(), u("220"));
    EXPECT_EQ(p.fireworksTime->text(), u("4"));
    EXPECT_EQ(p.fireworksTime->geometry(), QRect(226, 274, 30, 20));
    EXPECT_EQ(p.autoStop->text(), u("0"));
    EXPECT_EQ(p.maskLeft->text(), u("4"));
    EXPECT_EQ(p.maskRight->text(), u("7"));
    EXPECT_EQ(p.maskChars->text(), u("****"));
    EXPECT_EQ(p.disableEffects->text(), u("禁用特效(停止滚动后播放特效烟花：       秒)"));
    EXPECT_EQ(p.allowRepeat->geometry(), QRect(8, 297, 326, 16));
    EXPECT_FALSE(p.mask->isChecked());
    EXPECT_EQ(p.hotKeyLabel->text(), u("秒后自动停止滚动(默认0，点击按钮后停止滚动)"));
    EXPECT_EQ(p.save->text(), u("保存"));
    EXPECT_FALSE(p.save->isEnabled());
    // The duration field lies over the check box's caption, not under it.
    EXPECT_GT(p.group->children().indexOf(p.fireworksTime),
              p.group->children().indexOf(p.disableEffects));
    // ...and the caption's closing "秒)" is drawn right of the field, not under it.
    auto* effects = qobject_cast<GapCheckBox*>(p.disableEffects);
    ASSERT_NE(effects, nullptr);
    const QString shown = effects->shownText();
    EXPECT_EQ(shown.simplified(), p.disableEffects->text().simplified());
    const int secondsLeft =
        effects->x() + effects->textLeft() +
        QFontMetrics(effects->font()).horizontalAdvance(shown.left(shown.lastIndexOf(u("秒"))));
    EXPECT_GT(secondsLeft, p.fireworksTime->geometry().right());
    EXPECT_LT(secondsLeft + 30, effects->geometry().right());

    for (int n = 1; n <= 10; ++n) {
        const QString labelName = u("标签") + QString::number(n);
        EXPECT_NE(w.findChild<QLabel*>(labelName), nullptr) << labelName.toStdString();
    }
    EXPECT_EQ(find<QLabel>(w, "标签3")->text(), u("指定中奖人,每奖项可指定3人"));
}

TEST(MainWindow, PresetWinnerBoxesLieBeyondTheGroupBoxWidth) {
    MainWindow w;
    PanelElements& p = w.elements().panel;
    const int groupWidth = p.group->width();
    EXPECT_EQ(groupWidth, 342);
    EXPECT_GE(find<QLabel>(w, "标签3")->x(), groupWidth);
    for (int i = 0; i < 8; ++i) {
        for (QLineEdit* box : {p.presetN[i], p.presetNN[i], p.presetNNN[i]}) {
            SCOPED_TRACE(box->objectName().toStdString());
            EXPECT_EQ(box->parentWidget(), p.group);
            EXPECT_GE(box->x(), groupWidth);
            EXPECT_EQ(box->width(), 70);
            EXPECT_TRUE(box->text().isEmpty());
            // Not hidden: they take typed text, they are only out of sight.
            EXPECT_FALSE(box->isHidden());
        }
    }
    EXPECT_EQ(p.presetN[0]->geometry(), QRect(374, 52, 70, 20));
    EXPECT_EQ(p.presetNN[0]->x(), 448);
    EXPECT_EQ(p.presetNNN[7]->geometry(), QRect(521, 224, 70, 20));
}

TEST(MainWindow, PopUpMenuTreeInOrder) {
    MainWindow w;
    MenuActions& m = w.elements().menu;
    ASSERT_NE(m.menu, nullptr);
    EXPECT_EQ(m.menu->objectName(), u("更换"));
    EXPECT_FALSE(m.menu->menuAction()->isVisible());
    // The spreadsheet commands follow the results commands they belong with.
    const QStringList top{u("更换主标题"),
                          u("更换副标题"),
                          u("奖项设置"),
                          u("查看抽奖结果"),
                          u("导入抽奖名单..."),
                          u("导出抽奖结果"),
                          u("导出为Excel..."),
                          u("背景图控制"),
                          u("背景音乐控制"),
                          u("字体颜色设置"),
                          u("最小化界面"),
                          u("界面大小"),
                          u("手机遥控..."),
                          u("本奖项显示照片"),
                          u("滚动显示照片"),
                          u("当前某中奖人放弃"),
                          u("软件初始化"),
                          u("新版本下载"),
                          u("退出")};
    EXPECT_EQ(actionNames(m.menu), top);
    auto subMenu = [&](const char* name) {
        for (QAction* a : m.menu->actions())
            if (a->objectName() == u(name)) return a->menu();
        return static_cast<QMenu*>(nullptr);
    };
    ASSERT_NE(subMenu("背景图控制"), nullptr);
    EXPECT_EQ(actionNames(subMenu("背景图控制")),
              (QStringList{u("更换背景图"), u("取消背景图"), u("选择纯色背景")}));
    EXPECT_EQ(actionNames(subMenu("背景音乐控制")),
              (QStringList{u("更换背景音乐"), u("启用背景音乐"), u("禁用背景音乐")}));
    EXPECT_EQ(actionNames(subMenu("字体颜色设置")),
              (QStringList{u("主标题"), u("副标题"), u("滚动及抽取结果"), u("恭喜提示")}));
    EXPECT_EQ(actionNames(subMenu("界面大小")), (QStringList{u("窗口"), u("全屏")}));
    EXPECT_EQ(subMenu("更换主标题"), nullptr);

    EXPECT_FALSE(m.update->isVisible());
    EXPECT_EQ(m.update->text(), u("新版本下载"));
    // The photo commands show only for an event with photos.
    for (QAction* a : {m.levelPhotos, m.scrollPhotos}) {
        EXPECT_FALSE(a->isVisible());
        EXPECT_TRUE(a->isCheckable());
    }
    for (QAction* a : m.menu->actions())
        if (a != m.update && a != m.levelPhotos && a != m.scrollPhotos) {
            EXPECT_TRUE(a->isVisible()) << a->objectName().toStdString();
        }
    for (QAction* a : {m.musicOn, m.musicOff, m.windowMode, m.fullScreen})
        EXPECT_TRUE(a->isCheckable());
    for (QAction* a : {m.changeMainTitle, m.exit, m.reset, m.forfeit, m.fontWinners, m.importList,
                       m.exportSheet})
        EXPECT_FALSE(a->isCheckable());
    EXPECT_EQ(m.fontCongrats->text(), u("恭喜提示"));
    EXPECT_EQ(m.solidBackground->text(), u("选择纯色背景"));
    EXPECT_EQ(m.minimise->text(), u("最小化界面"));
    EXPECT_EQ(m.viewResults->text(), u("查看抽奖结果"));
}

TEST(MainWindow, KeysReachTheWindowAndTheSelectorOnce) {
    MainWindow w;
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    QSignalSpy keys(&w, &MainWindow::keyPressed);
    w.setFocus();
    QTest::keyClick(&w, Qt::Key_Space);
    ASSERT_EQ(keys.count(), 1);
    EXPECT_EQ(keys.at(0).at(0).toInt(), int(Qt::Key_Space));

    QComboBox* combo = w.elements().levelCombo;
    combo->addItem(u("二等奖"));
    combo->setCurrentIndex(0);
    combo->setFocus();
    keys.clear();
    // With the panel closed Space is the keyboard start: reported, not typed.
    QTest::keyClick(combo, Qt::Key_Space);
    ASSERT_EQ(keys.count(), 1);
    EXPECT_EQ(keys.at(0).at(0).toInt(), int(Qt::Key_Space));
    EXPECT_EQ(combo->currentText(), u("二等奖"));
    QTest::keyClick(combo, Qt::Key_A);
    EXPECT_EQ(keys.count(), 2);
    EXPECT_EQ(keys.at(1).at(0).toInt(), int(Qt::Key_A));
    // A key the selector does not use is not reported again by the window.
    QTest::keyClick(combo, Qt::Key_F5);
    QTest::keyClick(combo->lineEdit(), Qt::Key_F6);
    ASSERT_EQ(keys.count(), 4);
    EXPECT_EQ(keys.at(2).at(0).toInt(), int(Qt::Key_F5));
    EXPECT_EQ(keys.at(3).at(0).toInt(), int(Qt::Key_F6));
    keys.clear();

    // With the panel open the level text is typed as usual.
    w.elements().panel.frame->show();
    combo->setFocus();
    combo->lineEdit()->end(false);
    QTest::keyClick(combo, Qt::Key_Space);
    EXPECT_EQ(keys.count(), 1);
    EXPECT_TRUE(combo->currentText().endsWith(u(" ")));
}

TEST(MainWindow, RightPressOnTheBackgroundOnly) {
    MainWindow w;
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    QSignalSpy background(&w, &MainWindow::backgroundRightPressed);
    QSignalSpy winnersRight(w.elements().winners, &TransparentLabel::rightPressed);
    QTest::mousePress(&w, Qt::RightButton, Qt::NoModifier, {600, 600});
    EXPECT_EQ(background.count(), 1);
    QTest::mousePress(w.elements().winners, Qt::RightButton, Qt::NoModifier, {10, 10});
    EXPECT_EQ(winnersRight.count(), 1);
    QTest::mousePress(w.elements().startButton, Qt::RightButton, Qt::NoModifier, {10, 10});
    w.elements().panel.frame->show();
    QTest::mousePress(w.elements().panel.hotKeyLabel, Qt::RightButton, Qt::NoModifier, {5, 5});
    EXPECT_EQ(background.count(), 1);
    // The fireworks take no mouse input: the background still answers under them.
    w.fireworks()->open(1);
    QWidget* under = w.childAt(600, 600);
    EXPECT_NE(under, static_cast<QWidget*>(w.fireworks()));
    w.fireworks()->close();
}

TEST(MainWindow, CloseAsksFirst) {
    MainWindow w;
    w.show();
    int asked = 0;
    bool allow = false;
    w.onCloseRequested = [&] {
        ++asked;
        return allow;
    };
    EXPECT_FALSE(w.close());
    EXPECT_TRUE(w.isVisible());
    allow = true;
    EXPECT_TRUE(w.close());
    EXPECT_FALSE(w.isVisible());
    EXPECT_EQ(asked, 2);
}

TEST(MainWindow, BackgroundPictureOrColour) {
    MainWindow w;
    w.resize(200, 100);
    w.setBackgroundColour(0x00FF00); // green
    EXPECT_EQ(w.backgroundColour(), 0x00FF00);
    EXPECT_EQ(w.grab().toImage().pixelColor(3, 97), QColor(0, 255, 0));

    QImage red(20, 10, QImage::Format_RGB888);
    red.fill(QColor(230, 10, 10));
    w.setBackgroundPicture(luckdial::testing::encodeJpeg(red));
    ASSERT_TRUE(w.hasBackgroundPicture());
    const QColor shown = w.grab().toImage().pixelColor(3, 97);
    EXPECT_GT(shown.red(), 200);
    EXPECT_LT(shown.green(), 40);

    w.setBackgroundPicture("not a picture");
    EXPECT_FALSE(w.hasBackgroundPicture());
    EXPECT_EQ(w.grab().toImage().pixelColor(3, 97), QColor(0, 255, 0));
    w.setBackgroundPicture(luckdial::testing::encodeJpeg(red));
    w.setBackgroundPicture({});
    EXPECT_FALSE(w.hasBackgroundPicture());
}

TEST(LoadingCaption, SizeLabelAndCaption) {
    LoadingCaption caption;
    EXPECT_EQ(caption.size(), QSize(500, 60));
    TransparentLabel* label = caption.label();
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->objectName(), u("透明标签1"));
    EXPECT_EQ(label->geometry(), QRect(0, 5, 500, 48));
    EXPECT_EQ(label->textColour(), 255);
    EXPECT_EQ(label->fontValue().size, pixelsToPoints(21));
    EXPECT_FALSE(label->fontValue().bold);
    EXPECT_EQ(label->caption(), gbk("正在载入抽奖号码库数据，请稍后..."));
}

#include "ui/passwordwindow.h"

TEST(PasswordWindow, LookAndElements) {
    PasswordWindow pw;
    EXPECT_EQ(pw.windowTitle(), u("密码设置！"));
    EXPECT_EQ(pw.size(), QSize(380, 180));
    EXPECT_EQ(pw.promptLabel()->objectName(), u("标签1"));
    EXPECT_EQ(pw.promptLabel()->text(), u("输入密码(初始密码为空)："));
    EXPECT_EQ(pw.passwordEdit()->objectName(), u("编辑框1"));
    EXPECT_EQ(pw.passwordEdit()->echoMode(), QLineEdit::Password);
    EXPECT_EQ(pw.enterButton()->objectName(), u("按钮_登陆"));
    EXPECT_EQ(pw.enterButton()->text(), u("进入设置"));
    EXPECT_EQ(pw.changeButton()->objectName(), u("按钮_修改密码"));
    EXPECT_EQ(pw.changeButton()->text(), u("修改密码"));
    // Return in the password field means "进入设置", not "修改密码".
    EXPECT_TRUE(pw.enterButton()->isDefault());
    EXPECT_FALSE(pw.changeButton()->isDefault());
}
