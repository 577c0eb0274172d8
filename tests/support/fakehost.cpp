#include "support/fakehost.h"

#include "host/qtext.h"

#include <QAction>
#include <QCoreApplication>
#include <QMenu>
#include <QWidget>
#include <gtest/gtest.h>

#include <algorithm>
#include <utility>

namespace luckdial {

class FakeTimer : public Timer {
public:
    FakeTimer(FakeHost* host, std::function<void()> onTick)
        : host_(host), onTick_(std::move(onTick)) {
        host_->timers_.push_back(this);
    }
    ~FakeTimer() override {
        if (!host_) return;
        auto& timers = host_->timers_;
        timers.erase(std::remove(timers.begin(), timers.end(), this), timers.end());
    }
    void setPeriod(int ms) override {
        period_ = std::max(ms, 0);
        if (!host_) return;
        due_ = host_->now_ + static_cast<std::uint64_t>(period_);
        armed_ = ++host_->armCounter_;
    }
    int period() const override { return period_; }

    FakeHost* host_;
    std::function<void()> onTick_;
    int period_ = 0;
    std::uint64_t due_ = 0;
    std::uint64_t armed_ = 0;
};

namespace {

const char* kindName(DialogRecord::Kind kind) {
    switch (kind) {
    case DialogRecord::Message:
        return "message box";
    case DialogRecord::Input:
        return "input box";
    case DialogRecord::File:
        return "file dialog";
    case DialogRecord::SaveFile:
        return "save dialog";
    case DialogRecord::Font:
        return "font dialog";
    case DialogRecord::Colour:
        return "colour dialog";
    case DialogRecord::Menu:
        return "menu";
    }
    return "dialog";
}

bool isButtonOf(int answer, int style) {
    switch (style & 0x0F) {
    case MbOkCancel:
        return answer == IdOk || answer == IdCancel;
    case MbYesNoCancel:
        return answer == IdYes || answer == IdNo || answer == IdCancel;
    case MbYesNo:
        return answer == IdYes || answer == IdNo;
    default:
        return answer == IdOk;
    }
}

/// What closing the box without choosing gives.
int dismissAnswer(int style) {
    switch (style & 0x0F) {
    case MbOkCancel:
    case MbYesNoCancel:
        return IdCancel;
    case MbYesNo:
        return IdNo;
    default:
        return IdOk;
    }
}

std::string nameOf(const QWidget* element) {
    return element ? gbkOf(element->objectName()) : std::string();
}

QString plainText(QString text) {
    // Menu texts may carry a mnemonic marker that the user never sees.
    text.remove(QLatin1Char('&'));
    return text;
}

/// The action named name in menu or its submenus; unavailable set when it, or
/// a submenu on the way to it, is hidden or disabled.
QAction* findAction(QMenu* menu, const QString& name, bool& unavailable) {
    for (QAction* action : menu->actions()) {
        const bool usable = action->isVisible() && action->isEnabled();
        if (action->objectName() == name || plainText(action->text()) == name) {
            unavailable = !usable;
            return action;
        }
        if (QMenu* sub = action->menu()) {
            if (QAction* found = findAction(sub, name, unavailable)) {
                unavailable = unavailable || !usable;
                return found;
            }
        }
    }
    return nullptr;
}

} // namespace

FakeHost::FakeHost(std::string programDir, std::uint64_t startTick)
    : HostBase(std::move(programDir)), now_(startTick) {}

FakeHost::~FakeHost() {
    verifyAllAnswered();
    for (FakeTimer* timer : timers_)
        timer->host_ = nullptr;
}

// --- virtual clock ---------------------------------------------------------------

void FakeHost::setNow(std::uint64_t tick) {
    for (FakeTimer* timer : timers_) {
        if (timer->period_ > 0) timer->due_ = tick + (timer->due_ > now_ ? timer->due_ - now_ : 0);
    }
    now_ = tick;
}

FakeTimer* FakeHost::nextDue(std::uint64_t limit) const {
    FakeTimer* best = nullptr;
    for (FakeTimer* timer : timers_) {
        if (timer->period_ <= 0 || timer->due_ > limit) continue;
        if (!best || timer->due_ < best->due_ ||
            (timer->due_ == best->due_ && timer->armed_ < best->armed_))
            best = timer;
    }
    return best;
}

void FakeHost::fire(FakeTimer* timer) {
    now_ = std::max(now_, timer->due_);
    timer->due_ += static_cast<std::uint64_t>(timer->period_);
    timer->armed_ = ++armCounter_;
    // A copy, because the handler may destroy its own timer.
    auto onTick = timer->onTick_;
    if (onTick) onTick();
}

void FakeHost::advance(std::uint64_t ms) {
    const std::uint64_t end = now_ + ms;
    while (FakeTimer* timer = nextDue(end))
        fire(timer);
    now_ = std::max(now_, end);
}

void FakeHost::delay(int ms) {
    if (ms <= 0) return;
    delays.push_back(ms);
    const std::uint64_t end = now_ + static_cast<std::uint64_t>(ms);
    const bool haveApp = QCoreApplication::instance() != nullptr;
    if (haveApp) QCoreApplication::processEvents();
    while (FakeTimer* timer = nextDue(end)) {
        fire(timer);
        if (haveApp) QCoreApplication::processEvents();
    }
    now_ = std::max(now_, end);
    // The hook stands for what the user does while the program waits; a
    // delay reached from inside the hook does not run it again.
    if (onDelay && !inDelayHook_) {
        inDelayHook_ = true;
        auto hook = onDelay;
        hook();
        inDelayHook_ = false;
    }
    if (haveApp) QCoreApplication::processEvents();
}

void FakeHost::processEvents() {
    if (QCoreApplication::instance()) QCoreApplication::processEvents();
    if (onProcessEvents && !inEventsHook_) {
        inEventsHook_ = true;
        auto hook = onProcessEvents;
        hook();
        inEventsHook_ = false;
    }
}

std::unique_ptr<Timer> FakeHost::createTimer(std::function<void()> onTick) {
    return std::make_unique<FakeTimer>(this, std::move(onTick));
}

int FakeHost::runningTimers() const {
    return static_cast<int>(std::count_if(timers_.begin(), timers_.end(),
                                          [](const FakeTimer* t) { return t->period_ > 0; }));
}

// --- dialogs -------------------------------------------------------------------------

void FakeHost::expectMessage(std::optional<std::string> text, int answer,
                             std::optional<std::string> caption, std::optional<int> style) {
    Expectation e;
    e.kind = DialogRecord::Message;
    e.text = std::move(text);
    e.answer = answer;
    e.caption = std::move(caption);
    e.style = style;
    queue_.push_back(std::move(e));
}

void FakeHost::expectInput(std::string prompt, std::optional<std::string> answer) {
    Expectation e;
    e.kind = DialogRecord::Input;
    if (!prompt.empty()) e.text = std::move(prompt);
    e.textAnswer = std::move(answer);
    queue_.push_back(std::move(e));
}

void FakeHost::expectFile(std::optional<std::string> path) {
    Expectation e;
    e.kind = DialogRecord::File;
    e.textAnswer = std::move(path);
    queue_.push_back(std::move(e));
}

void FakeHost::expectSaveFile(std::optional<std::string> path) {
    Expectation e;
    e.kind = DialogRecord::SaveFile;
    e.textAnswer = std::move(path);
    queue_.push_back(std::move(e));
}

void FakeHost::expectFont(std::optional<FontChoice> choice) {
    Expectation e;
    e.kind = DialogRecord::Font;
    e.font = std::move(choice);
    queue_.push_back(std::move(e));
}

void FakeHost::expectColour(std::optional<int> colour) {
    Expectation e;
    e.kind = DialogRecord::Colour;
    e.colour = colour;
    queue_.push_back(std::move(e));
}

void FakeHost::queueMenuAction(std::string name) {
    menuActions_.push_back(std::move(name));
}

void FakeHost::verifyAllAnswered() {
    for (const Expectation& e : queue_) {
        ADD_FAILURE() << "a queued answer for a " << kindName(e.kind)
                      << (e.text ? " \"" + utf8(*e.text) + "\"" : std::string())
                      << " was never asked for";
    }
    queue_.clear();
    for (const std::string& name : menuActions_)
        ADD_FAILURE() << "the queued menu action \"" << utf8(name) << "\" was never triggered";
    menuActions_.clear();
}

std::vector<std::string> FakeHost::messages() const {
    std::vector<std::string> texts;
    for (const DialogRecord& r : log)
        if (r.kind == DialogRecord::Message) texts.push_back(r.text);
    return texts;
}

std::optional<FakeHost::Expectation> FakeHost::take(DialogRecord::Kind kind,
                                                    const std::string& what) {
    if (queue_.empty()) {
        ADD_FAILURE() << "unexpected " << kindName(kind) << " " << what << ": no answer queued";
        return std::nullopt;
    }
    if (queue_.front().kind != kind) {
        ADD_FAILURE() << "unexpected " << kindName(kind) << " " << what
                      << ": the next queued answer is for a " << kindName(queue_.front().kind)
                      << (queue_.front().text ? " \"" + utf8(*queue_.front().text) + "\""
                                              : std::string());
        return std::nullopt;
    }
    Expectation e = std::move(queue_.front());
    queue_.pop_front();
    return e;
}

int FakeHost::messageBox(const std::string& text, int style, const std::string& caption) {
    const std::string shown = caption.empty() ? gbk("信息：") : caption;
    log.push_back({DialogRecord::Message, text, style, shown, {}});
    const std::string what = "\"" + utf8(text) + "\" (caption \"" + utf8(shown) + "\", style " +
                             std::to_string(style) + ")";
    const auto e = take(DialogRecord::Message, what);
    if (!e) return dismissAnswer(style);
    if (e->text && *e->text != text)
        ADD_FAILURE() << "message box shows " << what << " where \"" << utf8(*e->text)
                      << "\" was expected";
    if (e->caption && *e->caption != shown)
        ADD_FAILURE() << "message box " << what << " has the caption \"" << utf8(shown)
                      << "\" where \"" << utf8(*e->caption) << "\" was expected";
    if (e->style && *e->style != style)
        ADD_FAILURE() << "message box " << what << " has the style " << style << " where "
                      << *e->style << " was expected";
    if (!isButtonOf(e->answer, style)) {
        ADD_FAILURE() << "message box " << what << " has no button for the answer " << e->answer;
        return dismissAnswer(style);
    }
    return e->answer;
}

std::optional<std::string> FakeHost::inputBox(const std::string& prompt, const std::string& caption,
                                              const std::string& initial) {
    log.push_back({DialogRecord::Input, prompt, 0, caption, initial});
    const auto e = take(DialogRecord::Input, "\"" + utf8(prompt) + "\"");
    if (!e) return std::nullopt;
    if (e->text && *e->text != prompt)
        ADD_FAILURE() << "input box asks \"" << utf8(prompt) << "\" where \"" << utf8(*e->text)
                      << "\" was expected";
    return e->textAnswer;
}

std::optional<std::string> FakeHost::openFileDialog(const std::string& filter,
                                                    const std::string& initial) {
    log.push_back({DialogRecord::File, filter, 0, {}, initial});
    const auto e = take(DialogRecord::File, "\"" + utf8(filter) + "\"");
    return e ? e->textAnswer : std::nullopt;
}

std::optional<std::string> FakeHost::saveFileDialog(const std::string& filter,
                                                    const std::string& initial) {
    log.push_back({DialogRecord::SaveFile, filter, 0, {}, initial});
    const auto e = take(DialogRecord::SaveFile, "\"" + utf8(filter) + "\"");
    return e ? e->textAnswer : std::nullopt;
}

std::optional<FontChoice> FakeHost::fontDialog(const FontChoice& initial) {
    log.push_back({DialogRecord::Font, initial.font.face, 0, {}, {}});
    lastFontInitial = initial;
    const auto e = take(DialogRecord::Font, "(initial face \"" + utf8(initial.font.face) + "\")");
    return e ? e->font : std::nullopt;
}

std::optional<int> FakeHost::colourDialog(int initial) {
    log.push_back({DialogRecord::Colour, {}, 0, {}, {}});
    lastColourInitial = initial;
    const auto e = take(DialogRecord::Colour, "(initial " + std::to_string(initial) + ")");
    return e ? e->colour : std::nullopt;
}

void FakeHost::popUpMenu(QMenu* menu) {
    menusShown.push_back(menu);
    log.push_back(
        {DialogRecord::Menu, menu ? gbkOf(menu->objectName()) : std::string(), 0, {}, {}});
    if (menuActions_.empty() || !menu) return;
    const std::string name = std::move(menuActions_.front());
    menuActions_.pop_front();
    bool unavailable = false;
    QAction* action = findAction(menu, qstr(name), unavailable);
    if (!action) {
        ADD_FAILURE() << "the menu has no action \"" << utf8(name) << "\"";
        return;
    }
    if (unavailable) {
        ADD_FAILURE() << "the menu action \"" << utf8(name) << "\" is hidden or disabled";
        return;
    }
    action->trigger();
}

// --- sound, network, shell ---------------------------------------------------------

void FakeHost::playMusic(int count, const std::vector<std::string>& files) {
    music.push_back({false, count, files});
}

void FakeHost::stopMusic() {
    music.push_back({true, 0, {}});
}

std::string FakeHost::fetchDocument(const std::string& url) {
    fetched.push_back(url);
    const auto it = documents.find(url);
    return it == documents.end() ? std::string() : it->second;
}

bool FakeHost::openWithShell(const std::string& target) {
    shellOpened.push_back(target);
    return shellResult;
}

bool FakeHost::runProgram(const std::string& commandLine, bool wait) {
    programsRun.emplace_back(commandLine, wait);
    return runResult;
}

// --- window system -------------------------------------------------------------------

std::string FakeHost::executablePath() {
    return exePath.empty() ? programDir() + "/luckdial" : exePath;
}

int FakeHost::bindHotKey(int modifiers, int virtualKey, std::function<void()> onPress) {
    const int id = refuseHotKeys ? 0 : nextHotKey_++;
    hotKeys.push_back({id, modifiers, virtualKey});
    if (id != 0) hotKeyHandlers_[id] = std::move(onPress);
    return id;
}

bool FakeHost::pressHotKey(int id) {
    const auto it = hotKeyHandlers_.find(id);
    if (it == hotKeyHandlers_.end()) return false;
    auto handler = it->second;
    if (handler) handler();
    return true;
}

void FakeHost::clipCorners(QWidget* element, int diameter) {
    clipped.emplace_back(nameOf(element), diameter);
}

void FakeHost::beginMove(QWidget* element) {
    movesBegun.push_back(nameOf(element));
    if (onBeginMove) onBeginMove(element);
}

void FakeHost::bringToFront(QWidget* element) {
    broughtToFront.push_back(nameOf(element));
}

// --- a full disk ----------------------------------------------------------------------

bool FakeHost::refused(const std::string& path) {
    if (!diskFull || !diskFull(path)) return false;
    ++refusedWrites;
    return true;
}

bool FakeHost::writeFile(const std::string& path, const std::vector<std::string_view>& parts) {
    return !refused(path) && HostBase::writeFile(path, parts);
}

bool FakeHost::copyFile(const std::string& from, const std::string& to) {
    return !refused(to) && HostBase::copyFile(from, to);
}

bool FakeHost::writeItem(const std::string& file, std::string_view section, std::string_view key,
                         std::string_view value) {
    return !refused(file) && HostBase::writeItem(file, section, key, value);
}

bool FakeHost::writeItems(const std::string& file, std::string_view section,
                          const std::vector<std::pair<std::string, std::string>>& items) {
    return !refused(file) && HostBase::writeItems(file, section, items);
}

void FakeHost::endProgram(int code) {
    ended = true;
    exitCode = code;
}

} // namespace luckdial
