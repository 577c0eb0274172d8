#pragma once
// A scripted host for widget and logic tests: files and configuration items
// are real (in a directory the test gives), the clock is virtual, dialogs are
// answered from a queue the test fills, and everything that would reach the
// window system, the network or the sound card is recorded instead.
//
// A dialog that comes without a queued answer fails the current test, so every
// message a handler shows has to be expected. Texts are GBK, as everywhere in
// the host interface.

#include "host/core/hostbase.h"

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace luckdial {

class FakeTimer;

/// One dialog or menu as it was shown.
struct DialogRecord {
    enum Kind { Message, Input, File, SaveFile, Font, Colour, Menu };
    Kind kind = Message;
    /// Message text, input prompt, file filter, font face or menu objectName.
    std::string text;
    int style = 0;
    /// For message boxes the caption as shown ("信息：" when none was given).
    std::string caption;
    /// Initial text of an input box or file dialog.
    std::string initial;
};

struct MusicCall {
    bool stop = false;
    int count = 0;
    std::vector<std::string> files;
};

struct HotKeyRecord {
    int id = 0;
    int modifiers = 0;
    int virtualKey = 0;
};

class FakeHost : public HostBase {
public:
    explicit FakeHost(std::string programDir, std::uint64_t startTick = 0);
    /// Reports queued answers that no dialog used.
    ~FakeHost() override;

    // --- virtual clock ---------------------------------------------------------
    std::uint32_t tickCount() override { return static_cast<std::uint32_t>(now_); }
    /// The clock without truncation.
    std::uint64_t now() const { return now_; }
    /// Sets the clock; running timers keep the time they still have to run.
    void setNow(std::uint64_t tick);
    /// Moves the clock by ms, firing due timers in time order (ties in the
    /// order they were armed). Does not process Qt events.
    void advance(std::uint64_t ms);
    /// Advances the clock to each due timer and then to the end, processing
    /// Qt events on the way; onDelay runs once per call (not re-entered).
    void delay(int ms) override;
    void processEvents() override;
    std::unique_ptr<Timer> createTimer(std::function<void()> onTick) override;
    /// Timers that exist and have a period above 0.
    int runningTimers() const;

    std::function<void()> onDelay;
    std::function<void()> onProcessEvents;
    /// Every positive delay asked for, in milliseconds, in order.
    std::vector<int> delays;

    // --- dialogs ----------------------------------------------------------------
    /// The next message box must show text (any text when nullopt); it is
    /// answered with answer, which must be a button of the box's style.
    void expectMessage(std::optional<std::string> text, int answer = IdOk,
                       std::optional<std::string> caption = {}, std::optional<int> style = {});
    /// prompt empty: any prompt. answer nullopt: the box is cancelled.
    void expectInput(std::string prompt, std::optional<std::string> answer);
    void expectFile(std::optional<std::string> path);
    void expectSaveFile(std::optional<std::string> path);
    void expectFont(std::optional<FontChoice> choice);
    void expectColour(std::optional<int> colour);
    /// The next pop-up menu triggers the action (searched through submenus)
    /// whose objectName, or else text, is name (GBK).
    void queueMenuAction(std::string name);
    /// Fails the test for every queued answer left over, then forgets them.
    void verifyAllAnswered();
    std::size_t pendingAnswers() const { return queue_.size(); }

    std::vector<DialogRecord> log;
    /// Texts of the message boxes shown, in order.
    std::vector<std::string> messages() const;
    /// The last font dialog's initial value.
    std::optional<FontChoice> lastFontInitial;
    std::optional<int> lastColourInitial;

    int messageBox(const std::string& text, int style, const std::string& caption = {}) override;
    std::optional<std::string> inputBox(const std::string& prompt, const std::string& caption,
                                        const std::string& initial) override;
    std::optional<std::string> openFileDialog(const std::string& filter,
                                              const std::string& initial) override;
    std::optional<std::string> saveFileDialog(const std::string& filter,
                                              const std::string& initial) override;
    std::optional<FontChoice> fontDialog(const FontChoice& initial) override;
    std::optional<int> colourDialog(int initial) override;
    void popUpMenu(QMenu* menu) override;
    std::vector<QMenu*> menusShown;

    // --- sound, network, shell --------------------------------------------------
    void playMusic(int count, const std::vector<std::string>& files) override;
    void stopMusic() override;
    std::vector<MusicCall> music;

    std::string fetchDocument(const std::string& url) override;
    /// Bodies by URL; an unknown URL fetches as empty (a failed request).
    std::map<std::string, std::string> documents;
    std::vector<std::string> fetched;

    bool openWithShell(const std::string& target) override;
    bool runProgram(const std::string& commandLine, bool wait) override;
    std::vector<std::string> shellOpened;
    std::vector<std::pair<std::string, bool>> programsRun;
    bool shellResult = true;
    bool runResult = true;

    // --- window system ----------------------------------------------------------
    int screenWidth() override { return screenW; }
    int screenHeight() override { return screenH; }
    int screenW = 1024;
    int screenH = 768;
    void setClipboardText(const std::string& text) override { clipboard = text; }
    std::string clipboard;
    std::string executablePath() override;
    std::string exePath;

    /// The names of kept copies: the real clock's stamp, or this one when set.
    std::string timeStamp() override { return stamp.empty() ? HostBase::timeStamp() : stamp; }
    std::string stamp;

    int bindHotKey(int modifiers, int virtualKey, std::function<void()> onPress) override;
    /// Runs the hot key's handler; false for an unknown identifier.
    bool pressHotKey(int id);
    std::vector<HotKeyRecord> hotKeys;
    /// When true every bindHotKey is refused (returns 0).
    bool refuseHotKeys = false;

    void clipCorners(QWidget* element, int diameter) override;
    void beginMove(QWidget* element) override;
    void bringToFront(QWidget* element) override;
    /// objectName (GBK) and diameter of each clipped element.
    std::vector<std::pair<std::string, int>> clipped;
    /// objectNames (GBK) in call order.
    std::vector<std::string> movesBegun;
    std::vector<std::string> broughtToFront;
    /// Runs inside beginMove: the test moves the element as a drag would.
    std::function<void(QWidget*)> onBeginMove;

    // --- a full disk ---------------------------------------------------------------
    /// A file write, copy or configuration write to a path for which this
    /// returns true fails as on a full disk: the file stays as it was.
    std::function<bool(const std::string& path)> diskFull;
    /// How many writes failed that way.
    int refusedWrites = 0;
    using HostBase::writeFile;
    bool writeFile(const std::string& path, const std::vector<std::string_view>& parts) override;
    bool copyFile(const std::string& from, const std::string& to) override;
    bool writeItem(const std::string& file, std::string_view section, std::string_view key,
                   std::string_view value) override;
    bool writeItems(const std::string& file, std::string_view section,
                    const std::vector<std::pair<std::string, std::string>>& items) override;

    /// Records the end and returns.
    void endProgram(int code = 0) override;
    bool ended = false;
    int exitCode = 0;

private:
    friend class FakeTimer;
    struct Expectation {
        DialogRecord::Kind kind = DialogRecord::Message;
        std::optional<std::string> text;
        std::optional<std::string> caption;
        std::optional<int> style;
        int answer = 0;
        std::optional<std::string> textAnswer;
        std::optional<FontChoice> font;
        std::optional<int> colour;
    };
    /// The front expectation if it is of this kind; otherwise fails the test.
    std::optional<Expectation> take(DialogRecord::Kind kind, const std::string& what);
    FakeTimer* nextDue(std::uint64_t limit) const;
    bool refused(const std::string& path);
    void fire(FakeTimer* timer);

    std::uint64_t now_;
    std::deque<Expectation> queue_;
    std::deque<std::string> menuActions_;
    std::vector<FakeTimer*> timers_;
    std::uint64_t armCounter_ = 0;
    std::map<int, std::function<void()>> hotKeyHandlers_;
    int nextHotKey_ = 1;
    bool inDelayHook_ = false;
    bool inEventsHook_ = false;
};

} // namespace luckdial
