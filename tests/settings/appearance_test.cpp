#include "settings/appearance.h"

#include "support/settings_fixture.h"
#include "ui/widgets.h"

#include <QAction>
#include <QPushButton>

#include <filesystem>

namespace luckdial::test {
namespace {

namespace fs = std::filesystem;

class Appearance : public SettingsTest {
protected:
    Appearance() : appearance(host, *window, [this] { return dir.path() + "/cjini.txt"; }) {
        appearance.connectHandlers();
    }

    /// A file on disk by its UTF-8 name inside the program directory.
    fs::path file(const std::string& utf8Name) const { return fs::path(dir.path()) / utf8Name; }
    std::string read(const std::string& utf8Name) const {
        std::ifstream in(file(utf8Name), std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    void put(const std::string& utf8Name, const std::string& bytes) const {
        std::ofstream(file(utf8Name), std::ios::binary) << bytes;
    }
    /// The demo background copied in under an ASCII name, as a file the
    /// operator would choose; returns its path.
    std::string pickablePicture() const {
        fs::copy_file(fs::path(LUCKDIAL_DEMO_DIR) / "底图.jpg", file("pick.jpg"));
        return dir.path() + "/pick.jpg";
    }
    std::string mainTitle() const { return utf8(window->elements().mainTitle->caption()); }
    std::string subTitle() const { return utf8(window->elements().subTitle->caption()); }

    AppearanceController appearance;
};

TEST_F(Appearance, CancellingEitherTitleBoxChangesNothing) {
    writeConfig("[zbt]\nzbt=旧主标题\nfbt=旧副标题\n");
    put("cjini.txt", "keep");
    e().mainTitle->setCaption(gbk("屏幕主标题"));
    e().subTitle->setCaption(gbk("屏幕副标题"));
    const std::string before = rawConfig();

    host.expectInput(gbk("请输入主标题"), std::nullopt);
    e().menu.changeMainTitle->trigger();
    host.expectInput(gbk("请输入主标题"), std::nullopt);
    e().menu.changeSubTitle->trigger();

    EXPECT_EQ(rawConfig(), before);
    EXPECT_EQ(read("cjini.txt"), "keep");
    EXPECT_EQ(mainTitle(), "屏幕主标题");
    EXPECT_EQ(subTitle(), "屏幕副标题");
    ASSERT_EQ(host.log.size(), 2u);
    // Both boxes start from the stored titles.
    EXPECT_EQ(utf8(host.log[0].initial), "旧主标题");
    EXPECT_EQ(utf8(host.log[1].initial), "旧副标题");
}

TEST_F(Appearance, TitleBoxesUseTheMainTitleTextsAndTheDefaultWhenUnset) {
    host.expectInput(gbk("请输入主标题"), gbk("年会"));
    e().menu.changeSubTitle->trigger();
    ASSERT_EQ(host.log.size(), 1u);
    EXPECT_EQ(utf8(host.log[0].initial), "某某公司现场抽奖仪式");
    EXPECT_EQ(subTitle(), "年会");
    EXPECT_EQ(key("fbt"), "年会");
    EXPECT_EQ(key("zbt"), ""); // the main title is left alone
}

TEST_F(Appearance, NewMainTitleWithoutTitleFileGoesToTheConfigurationOnly) {
    host.expectInput(gbk("请输入主标题"), gbk("新春联欢会"));
    e().menu.changeMainTitle->trigger();
    EXPECT_EQ(key("zbt"), "新春联欢会");
    EXPECT_EQ(mainTitle(), "新春联欢会");
    EXPECT_EQ(utf8(gbkOf(e().scratch->text())), "新春联欢会");
    EXPECT_FALSE(fs::exists(file("cjini.txt"))); // never created
}

TEST_F(Appearance, NewMainTitleReplacesTheWholeTitleFile) {
    put("cjini.txt", gbk("一个很长的旧公司名称\r\n第二行"));
    host.expectInput(gbk("请输入主标题"), gbk("短"));
    e().menu.changeMainTitle->trigger();
    EXPECT_EQ(read("cjini.txt"), gbk("短"));
    EXPECT_EQ(key("zbt"), "短");
    EXPECT_EQ(mainTitle(), "短");

    // An empty title empties the file but keeps it.
    host.expectInput(gbk("请输入主标题"), std::string());
    e().menu.changeMainTitle->trigger();
    EXPECT_TRUE(fs::exists(file("cjini.txt")));
    EXPECT_EQ(read("cjini.txt"), "");
    EXPECT_EQ(mainTitle(), "");
}

TEST_F(Appearance, BackgroundIsCopiedShownAndRemoved) {
    const std::string picked = pickablePicture();
    host.expectFile(picked);
    e().menu.changeBackground->trigger();
    ASSERT_EQ(host.log.size(), 1u);
    EXPECT_EQ(utf8(host.log[0].text), "图形文件(*.jpg)|*.jpg");
    EXPECT_EQ(read("底图.jpg"), read("pick.jpg"));
    EXPECT_TRUE(window->hasBackgroundPicture());
    EXPECT_TRUE(fs::exists(file("pick.jpg"))); // copied, not moved

    e().menu.removeBackground->trigger();
    EXPECT_FALSE(fs::exists(file("底图.jpg")));
    EXPECT_FALSE(window->hasBackgroundPicture());

    // With no file left, removal still clears what is shown.
    window->setBackgroundPicture(read("pick.jpg"));
    ASSERT_TRUE(window->hasBackgroundPicture());
    e().menu.removeBackground->trigger();
    EXPECT_FALSE(window->hasBackgroundPicture());
}

TEST_F(Appearance, CancelledBackgroundChoiceKeepsPictureAndFile) {
    pickablePicture();
    window->setBackgroundPicture(read("pick.jpg"));
    put("底图.jpg", "old");
    host.expectFile(std::nullopt);
    e().menu.changeBackground->trigger();
    EXPECT_EQ(read("底图.jpg"), "old");
    EXPECT_TRUE(window->hasBackgroundPicture());
}

TEST_F(Appearance, PlainColourIsShownAndStoredAndKeepsThePicture) {
    window->setBackgroundColour(0x102030);
    pickablePicture();
    window->setBackgroundPicture(read("pick.jpg"));
    host.expectColour(255 + 256 * 128);
    e().menu.solidBackground->trigger();
    EXPECT_EQ(host.lastColourInitial, 0x102030);
    EXPECT_EQ(window->backgroundColour(), 255 + 256 * 128);
    EXPECT_EQ(key("界面背景颜色", "yanse"), "33023");
    EXPECT_TRUE(window->hasBackgroundPicture());

    host.expectColour(std::nullopt);
    e().menu.solidBackground->trigger();
    EXPECT_EQ(window->backgroundColour(), 33023);
    EXPECT_EQ(key("界面背景颜色", "yanse"), "33023");
}

TEST_F(Appearance, MusicIsCopiedIntoTheMusicFolder) {
    put("song.mp3", "ID3 music bytes");
    host.expectFile(dir.path() + "/song.mp3");
    e().menu.changeMusic->trigger();
    ASSERT_EQ(host.log.size(), 1u);
    EXPECT_EQ(utf8(host.log[0].text), "音乐文件(*.mp3)|*.mp3");
    EXPECT_EQ(read("wav/bjyy.mp3"), "ID3 music bytes");

    // An existing folder and file: the folder stays, the file is replaced.
    put("other.mp3", "other");
    host.expectFile(dir.path() + "/other.mp3");
    e().menu.changeMusic->trigger();
    EXPECT_EQ(read("wav/bjyy.mp3"), "other");

    // Cancelled: the folder is made anyway, nothing is copied.
    fs::remove_all(file("wav"));
    host.expectFile(std::nullopt);
    e().menu.changeMusic->trigger();
    EXPECT_TRUE(fs::is_directory(file("wav")));
    EXPECT_FALSE(fs::exists(file("wav/bjyy.mp3")));
    EXPECT_TRUE(host.music.empty()); // playback is not touched
}

TEST_F(Appearance, PrizePictureButtonsCopyAndDeleteTheirLevelsFile) {
    fs::create_directory(file("奖品图片"));
    put("a.jpg", "picture three");
    host.expectFile(dir.path() + "/a.jpg");
    panel().browse[2]->click();
    EXPECT_EQ(read("奖品图片/3.jpg"), "picture three");
    for (int n : {1, 2, 4, 5, 6, 7, 8})
        EXPECT_FALSE(fs::exists(file("奖品图片/" + std::to_string(n) + ".jpg"))) << n;

    put("b.jpg", "picture eight");
    host.expectFile(dir.path() + "/b.jpg");
    panel().browse[7]->click();
    EXPECT_EQ(read("奖品图片/8.jpg"), "picture eight");

    host.expectFile(std::nullopt);
    panel().browse[2]->click();
    EXPECT_EQ(read("奖品图片/3.jpg"), "picture three");

    panel().clear[2]->click();
    EXPECT_FALSE(fs::exists(file("奖品图片/3.jpg")));
    EXPECT_TRUE(fs::exists(file("奖品图片/8.jpg")));
    panel().clear[2]->click(); // nothing left to delete: no message, no change
    panel().clear[7]->click();
    EXPECT_FALSE(fs::exists(file("奖品图片/8.jpg")));
    EXPECT_TRUE(host.messages().empty());
}

TEST_F(Appearance, MinimiseMinimisesTheWindow) {
    window->show();
    e().menu.minimise->trigger();
    EXPECT_TRUE(window->windowState() & Qt::WindowMinimized);
}

} // namespace
} // namespace luckdial::test
