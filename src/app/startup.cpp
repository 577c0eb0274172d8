#include "app/startup.h"

#include "app/groupstore.h"
#include "app/notices.h"
#include "app/progress.h"
#include "app/recovery.h"
#include "draw/core/drawstate.h"
#include "host/core/text.h"
#include "host/host.h"
#include "pool/pool.h"
#include "settings/core/names.h"
#include "settings/settingscontroller.h"
#include "ui/elements.h"
#include "ui/layout.h"
#include "ui/loadingcaption.h"
#include "ui/mainwindow.h"
#include "ui/textstyles.h"
#include "ui/widgets.h"

#include <QComboBox>

#include <filesystem>
#include <system_error>

namespace luckdial {

namespace {

constexpr int kF1 = 0x70;
constexpr int kKeyK = 0x4B;
constexpr int kHotCtrl = 2;
constexpr int kHotShift = 4;

/// The height a title needs for one line of its font.
int titleHeight(const TransparentLabel& label) {
    return heightForPoints(label.fontValue().size, 1.8);
}

} // namespace

std::string titleFilePath() {
    std::error_code error;
    const std::filesystem::path cwd = std::filesystem::current_path(error);
    if (error) return {};
    return gbk(cwd.string()) + "/" + names::kTitleFile;
}

StartupSequence::StartupSequence(Host& host, MainWindow& window, DrawState& state,
                                 SettingsController& settings, LayoutController& layout)
    : host_(host), window_(window), state_(state), settings_(settings), layout_(layout) {}

StartupSequence::~StartupSequence() = default;

bool StartupSequence::run() {
    MainElements& e = window_.elements();
    const std::string config = host_.path(names::kConfigFile);

    sizeToScreen();

    const std::string defaultTitle = names::defaultTitle();
    e.mainTitle->setCaption(
        host_.readItem(config, names::kGeneral, names::kMainTitleKey, defaultTitle));
    e.subTitle->setCaption(
        host_.readItem(config, names::kGeneral, names::kSubTitleKey, defaultTitle));

    e.buttonGrip->move(e.startButton->x() + e.startButton->width(), e.startButton->y());

    bindHotKeys();

    host_.clipCorners(e.startButton, 22);
    host_.clipCorners(e.stopButton, 22);

    if (!host_.fileExists(host_.path(names::poolFile()))) {
        host_.messageBox(gbk("抽奖号码库文件不存在！"), MbOk, gbk("抽奖号码库文件不存在"));
        host_.endProgram(0);
        return false;
    }

    // What a run that was cut short left behind is dealt with before anything
    // is asked: its temporaries go, and a progress save it interrupted is
    // finished or dropped.
    host_.removeStaleTemporaries(host_.programDir(), replacedFileNames());
    const std::string progressFile = settleProgressSave(host_);

    // A run that ended without the exit question comes first; continuing it
    // replaces the resume question.
    std::string recordGroups;
    GroupSource groups = GroupSource::RecoveryRecord;
    source_ = offerRecovery(host_, window_, state_, &recordGroups);
    std::string sourceName = recoveryRecordName();
    if (!source_) {
        const std::string source = choosePoolSource(host_, window_, state_, progressFile);
        // The progress file is the program's own GBK text, read back exactly
        // as it was written; only the organiser's pool file may be UTF-8.
        const bool resumed = !progressFile.empty() && source == progressFile;
        sourceName = resumed ? names::progressFile() : names::poolFile();
        source_ = host_.openTextFile(source, resumed ? TextEncoding::Gbk : TextEncoding::Recognise);
        groups = resumed ? GroupSource::ProgressFile : GroupSource::PoolFile;
    }

    settings_.applyConfiguration();

    window_.pool().clear();
    caption_ = std::make_unique<LoadingCaption>();
    caption_->move(host_.screenLeft() + (host_.screenWidth() - caption_->width()) / 2,
                   host_.screenTop() + (host_.screenHeight() - caption_->height()) / 2);
    caption_->show();

    const TextStop stop = loadPool();
    loadGroups(host_, window_, groups, recordGroups);

    e.startButton->setFocus();
    state_.winnerNumber = 1;

    window_.setBackgroundPicture(host_.readFile(host_.path(names::backgroundFile())));

    e.progress->setTextColour(e.subTitle->textColour());
    e.levelCaption->setTextColour(e.subTitle->textColour());

    settings_.refreshPrizeLevelList(true);

    placeDefaults();

    e.mainTitle->resize(e.mainTitle->width(), titleHeight(*e.mainTitle));
    e.subTitle->resize(e.subTitle->width(), titleHeight(*e.subTitle));

    source_->close();
    source_.reset();

    layout_.restoreLayout();

    caption_.reset();

    // The list loads as the line rules read it, but a list cut short is told.
    if (stop.early)
        host_.messageBox(notices::listStoppedEarly(sourceName, stop.line, window_.pool().count()),
                         MbOk | MbIconWarning, gbk("提示"));

    applyTitleFile();
    return true;
}

void StartupSequence::sizeToScreen() {
    MainElements& e = window_.elements();
    const int w = host_.screenWidth();
    window_.setGeometry(host_.screenLeft(), host_.screenTop(), w, host_.screenHeight());
    e.mainTitle->resize(w, e.mainTitle->height());
    e.congrats->resize(w, e.congrats->height());
    e.subTitle->resize(w, e.subTitle->height());
}

void StartupSequence::bindHotKeys() {
    f1HotKey_ = host_.bindHotKey(0, kF1, [this] { Q_EMIT f1Pressed(); });
    switchHotKey_ =
        host_.bindHotKey(kHotCtrl | kHotShift, kKeyK, [this] { Q_EMIT switchKeyPressed(); });
}

TextStop StartupSequence::loadPool() {
    return luckdial::loadPool(
        window_.pool(), *source_, [this] { return host_.tickCount(); },
        [this](std::size_t, double done) {
            caption_->setProgress(done);
            host_.processEvents();
        });
}

void StartupSequence::placeDefaults() {
    MainElements& e = window_.elements();
    const double w = host_.screenWidth();
    const int h = host_.screenHeight();
    // Halves are computed in floating point and truncated toward zero.
    auto centred = [w](QWidget* element) {
        element->move(static_cast<int>(w / 2 - element->width() / 2.0), element->y());
    };
    centred(e.startButton);
    centred(e.stopButton);
    e.winners->setGeometry(0, e.winners->y(), static_cast<int>(w), e.winners->height());
    e.congrats->move(0, e.congrats->y());
    e.levelCombo->move(e.levelCombo->x(), h - e.levelCombo->height() - 60);
    e.levelCaption->move(e.levelCaption->x(), h - e.levelCaption->height() - 55);
    e.progress->move(e.progress->x(), h - e.progress->height() - 55);
}

void StartupSequence::applyTitleFile() {
    const std::string path = titleFilePath();
    if (path.empty()) return;
    std::unique_ptr<TextFile> file = host_.openTextFile(path);
    if (!file || !file->isOpen()) return;
    TransparentLabel* title = window_.elements().mainTitle;
    if (file->length() != 0) {
        title->setCaption(file->readAll());
    } else {
        title->setCaption(names::emptyTitleFileTitle());
        host_.messageBox(gbk("请写入公司名称"), MbOk);
    }
    file->close();
}

} // namespace luckdial
