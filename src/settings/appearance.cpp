#include "settings/appearance.h"

#include "host/core/text.h"
#include "host/host.h"
#include "host/qtext.h"
#include "settings/core/names.h"
#include "ui/elements.h"
#include "ui/mainwindow.h"
#include "ui/widgets.h"

#include <QAction>
#include <QLineEdit>
#include <QPushButton>

#include <cstddef>
#include <memory>
#include <optional>
#include <utility>

namespace luckdial {

namespace {

const char* const kPictureFilter = "图形文件(*.jpg)|*.jpg";
const char* const kMusicFilter = "音乐文件(*.mp3)|*.mp3";

} // namespace

AppearanceController::AppearanceController(Host& host, MainWindow& window,
                                           std::function<std::string()> titleFilePath)
    : host_(host), window_(window), e_(window.elements()),
      titleFilePath_(std::move(titleFilePath)) {}

void AppearanceController::connectHandlers() {
    const MenuActions& m = e_.menu;
    connect(m.changeMainTitle, &QAction::triggered, this, [this] { changeMainTitle(); });
    connect(m.changeSubTitle, &QAction::triggered, this, [this] { changeSubTitle(); });
    connect(m.changeBackground, &QAction::triggered, this, [this] { changeBackground(); });
    connect(m.removeBackground, &QAction::triggered, this, [this] { removeBackground(); });
    connect(m.solidBackground, &QAction::triggered, this, [this] { chooseBackgroundColour(); });
    connect(m.changeMusic, &QAction::triggered, this, [this] { changeMusic(); });
    connect(m.minimise, &QAction::triggered, this, [this] { minimise(); });
    for (std::size_t i = 0; i < e_.panel.browse.size(); ++i) {
        const int n = static_cast<int>(i) + 1;
        connect(e_.panel.browse[i], &QPushButton::clicked, this,
                [this, n] { choosePrizePicture(n); });
        connect(e_.panel.clear[i], &QPushButton::clicked, this,
                [this, n] { clearPrizePicture(n); });
    }
}

std::string AppearanceController::configPath() const {
    return host_.path(names::kConfigFile);
}

std::optional<std::string> AppearanceController::askTitle(const std::string& key) {
    const std::string current =
        host_.readItem(configPath(), names::kGeneral, key, names::defaultTitle());
    // Both title commands ask with the main title's texts.
    const std::string prompt = gbk("请输入主标题");
    return host_.inputBox(prompt, prompt, current);
}

void AppearanceController::changeMainTitle() {
    const std::optional<std::string> entered = askTitle(names::kMainTitleKey);
    if (!entered) return;

    // The title passes through the scratch field, and what the field holds is
    // what is stored, written to the title file and shown.
    e_.scratch->setText(qstr(*entered));
    const std::string title = gbkOf(e_.scratch->text());
    // Stored settings below apply for the session even when the write fails.
    (void)host_.writeItem(configPath(), names::kGeneral, names::kMainTitleKey, title);
    rewriteTitleFile(title);
    e_.mainTitle->setCaption(title);
}

void AppearanceController::rewriteTitleFile(const std::string& title) {
    if (!titleFilePath_) return;
    const std::string path = titleFilePath_();
    if (path.empty()) return;
    // Only an existing title file is rewritten; the program never creates one.
    std::unique_ptr<TextFile> file = host_.openTextFile(path);
    if (!file || !file->isOpen()) return;
    file->deleteBytes(file->length());
    file->writeText(title);
    file->close();
}

void AppearanceController::changeSubTitle() {
    const std::optional<std::string> entered = askTitle(names::kSubTitleKey);
    if (!entered) return;
    e_.subTitle->setCaption(*entered);
    (void)host_.writeItem(configPath(), names::kGeneral, names::kSubTitleKey, *entered);
}

void AppearanceController::changeBackground() {
    const std::optional<std::string> chosen = host_.openFileDialog(gbk(kPictureFilter), {});
    if (!chosen) return;
    const std::string target = host_.path(names::backgroundFile());
    (void)host_.copyFile(*chosen, target);
    // Read back what was stored: a failed copy shows what the file now holds.
    window_.setBackgroundPicture(host_.readFile(target));
}

void AppearanceController::removeBackground() {
    (void)host_.deleteFile(host_.path(names::backgroundFile())); // a missing file is the goal
    window_.setBackgroundPicture(std::string());
}

void AppearanceController::chooseBackgroundColour() {
    const std::optional<int> colour = host_.colourDialog(window_.backgroundColour());
    if (!colour) return;
    window_.setBackgroundColour(*colour);
    (void)host_.writeItem(configPath(), names::kColours, gbk("界面背景颜色"),
                          toText(static_cast<long long>(*colour)));
}

void AppearanceController::changeMusic() {
    // An existing directory is fine; a missing one fails the copy below.
    (void)host_.createDirectory(host_.path(names::kSoundDirectory));
    const std::optional<std::string> chosen = host_.openFileDialog(gbk(kMusicFilter), {});
    if (!chosen) return;
    (void)host_.copyFile(*chosen, host_.path(names::kScrollMusic)); // else the old music stays
}

void AppearanceController::minimise() {
    window_.setWindowState(window_.windowState() | Qt::WindowMinimized);
}

void AppearanceController::choosePrizePicture(int n) {
    const std::optional<std::string> chosen = host_.openFileDialog(gbk(kPictureFilter), {});
    if (!chosen) return;
    // The picture marks show within 200 ms whether the file is there.
    (void)host_.copyFile(*chosen, host_.path(names::prizePicture(n)));
}

void AppearanceController::clearPrizePicture(int n) {
    (void)host_.deleteFile(host_.path(names::prizePicture(n))); // the marks tell
}

} // namespace luckdial
