#pragma once
// The one interface through which the program's logic reaches the outside world:
// files, configuration items, clocks, delays, dialogs, sound, network and the
// window system. QtHost is the real implementation; FakeHost scripts it for tests.
//
// All text crossing this interface is GBK bytes held in std::string (see text.h);
// paths are GBK too and may use "\\" or "/" as separator.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

class QWidget;
class QMenu;
class QScreen;

namespace luckdial {

/// Message-box result codes.
enum MsgResult : int {
    IdOk = 0,
    IdCancel = 1,
    IdAbort = 2,
    IdRetry = 3,
    IdIgnore = 4,
    IdYes = 5,
    IdNo = 6
};

/// Message-box style flags: one button set plus at most one icon.
enum MsgStyle : int {
    MbOk = 0,
    MbOkCancel = 1,
    MbYesNoCancel = 3,
    MbYesNo = 4,
    MbIconError = 16,
    MbIconQuestion = 32,
    MbIconWarning = 48,
    MbIconInformation = 64,
};

/// A font as the program stores it: face name (GBK), size in points, flags, angle.
struct FontValue {
    std::string face;
    int size = 9;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strikeOut = false;
    int angle = 0;
    bool operator==(const FontValue&) const = default;
};

/// What a confirmed font dialog returns: the font and the text colour
/// (red + 256 * green + 65536 * blue).
struct FontChoice {
    FontValue font;
    int colour = 0;
};

/// How a text-file handle reads the file's bytes: Recognise converts a file
/// that is plainly UTF-8 (see fileTextToGbk) to GBK; Gbk takes the bytes as
/// they are, for the program's own files, which it always writes in GBK.
enum class TextEncoding { Recognise, Gbk };

/// A line-oriented handle on an existing file (pool, progress and title files).
/// A handle that failed to open behaves as an empty file at its end.
class TextFile {
public:
    virtual ~TextFile() = default;
    virtual bool isOpen() const = 0;
    virtual bool atEnd() const = 0;
    /// Next line by the pool line rules; GBK bytes.
    virtual std::string readLine() = 0;
    /// Read position in bytes of the (GBK) text, for progress reports.
    virtual std::uint64_t position() const = 0;
    virtual std::uint64_t length() const = 0;
    virtual std::string readAll() = 0;
    /// Like readAll, for a reader that wants the whole rest at once: the
    /// handle may hand over its own copy instead of copying (large pools),
    /// after which it behaves as a closed handle at its end.
    virtual std::string takeRest() { return readAll(); }
    /// Writes at the current position, without a line end.
    virtual bool writeText(std::string_view text) = 0;
    /// Removes n bytes at the current position, moving the rest down.
    virtual bool deleteBytes(std::uint64_t n) = 0;
    virtual void close() = 0;
};

/// A periodic timer owned by the host; a period of 0 stops it.
class Timer {
public:
    virtual ~Timer() = default;
    virtual void setPeriod(int ms) = 0;
    virtual int period() const = 0;
};

class Host {
public:
    virtual ~Host() = default;

    // --- paths and files -------------------------------------------------
    /// Directory of the executable, without a trailing separator (GBK).
    virtual std::string programDir() const = 0;
    /// programDir() + "\\" + name.
    std::string path(std::string_view name) const;
    /// Whole file; empty when missing, unreadable or the path is empty.
    virtual std::string readFile(const std::string& path) = 0;
    /// Replaces the file crash-safely with the concatenation of parts; false on
    /// failure, in which case the old file is untouched.
    [[nodiscard]] virtual bool writeFile(const std::string& path,
                                         const std::vector<std::string_view>& parts) = 0;
    [[nodiscard]] bool writeFile(const std::string& path, std::string_view data) {
        return writeFile(path, std::vector<std::string_view>{data});
    }
    virtual bool fileExists(const std::string& path) = 0;
    [[nodiscard]] virtual bool deleteFile(const std::string& path) = 0;
    [[nodiscard]] virtual bool copyFile(const std::string& from, const std::string& to) = 0;
    [[nodiscard]] virtual bool moveFile(const std::string& from, const std::string& to) = 0;
    [[nodiscard]] virtual bool createDirectory(const std::string& path) = 0;
    [[nodiscard]] virtual bool setFileHidden(const std::string& path, bool hidden) = 0;
    /// Opens an existing file for reading; never creates one. Writes through
    /// the handle replace the file and fail when it is write-protected.
    virtual std::unique_ptr<TextFile>
    openTextFile(const std::string& path, TextEncoding encoding = TextEncoding::Recognise) = 0;
    /// Removes, in dir, the hidden temporaries that an interrupted replace of
    /// one of the named files left behind: "." + name + "." + six letters or
    /// digits, regular files only. Returns how many were removed.
    virtual int removeStaleTemporaries(const std::string& dir,
                                       const std::vector<std::string>& names) = 0;
    /// Local date and time as "YYYYMMDD-HHMMSS", for the names of kept copies.
    virtual std::string timeStamp() = 0;
    /// Keeps the file under a free name beside it: its name without the
    /// extension, "_", timeStamp(), "-2", "-3"... when taken, and the extension.
    /// Copies, or with move renames. The new path, or empty on failure.
    std::string keepAside(const std::string& path, bool move);

    // --- configuration items ----------------------------------------------
    virtual std::string readItem(const std::string& file, std::string_view section,
                                 std::string_view key, std::string_view defaultValue = {}) = 0;
    [[nodiscard]] virtual bool writeItem(const std::string& file, std::string_view section,
                                         std::string_view key, std::string_view value) = 0;
    [[nodiscard]] virtual bool deleteItem(const std::string& file, std::string_view section,
                                          std::string_view key) = 0;
    [[nodiscard]] virtual bool deleteSection(const std::string& file, std::string_view section) = 0;
    /// Sets several keys of one section in a single crash-safe replace of the
    /// file: afterwards either all of them hold the new values or none does.
    [[nodiscard]] virtual bool
    writeItems(const std::string& file, std::string_view section,
               const std::vector<std::pair<std::string, std::string>>& items) = 0;

    // --- time and the event loop -------------------------------------------
    /// Milliseconds from a monotonic clock, truncated to 32 bits.
    virtual std::uint32_t tickCount() = 0;
    virtual void processEvents() = 0;
    /// Waits ms milliseconds while processing events; <= 0 returns at once.
    virtual void delay(int ms) = 0;
    virtual std::unique_ptr<Timer> createTimer(std::function<void()> onTick) = 0;

    // --- the host's own random numbers (fireworks only) ----------------------
    virtual void seedRandom() = 0;
    virtual void seedRandom(int seed) = 0;
    virtual int random(int min, int max) = 0;

    // --- dialogs -------------------------------------------------------------
    /// Modal message box; caption empty means the default caption "信息：".
    virtual int messageBox(const std::string& text, int style, const std::string& caption = {}) = 0;
    /// Modal input box; the entered text, or nothing when cancelled.
    virtual std::optional<std::string>
    inputBox(const std::string& prompt, const std::string& caption, const std::string& initial) = 0;
    /// filter as "描述|*.jpg|..."; the chosen path (GBK) or nothing.
    virtual std::optional<std::string> openFileDialog(const std::string& filter,
                                                      const std::string& initial) = 0;
    /// A file to write: filter as above, initial the proposed path (GBK). The
    /// dialog asks before an existing file is chosen; the path or nothing.
    virtual std::optional<std::string> saveFileDialog(const std::string& filter,
                                                      const std::string& initial) = 0;
    virtual std::optional<FontChoice> fontDialog(const FontChoice& initial) = 0;
    virtual std::optional<int> colourDialog(int initial) = 0;
    /// Shows the menu at the mouse cursor (modal until dismissed).
    virtual void popUpMenu(QMenu* menu) = 0;

    // --- sound -----------------------------------------------------------------
    /// count -1 loops for ever, 0 (or below -1) plays nothing; replaces what plays.
    virtual void playMusic(int count, const std::vector<std::string>& files) = 0;
    virtual void stopMusic() = 0;

    // --- network and shell -----------------------------------------------------
    virtual std::string fetchDocument(const std::string& url) = 0;
    virtual bool openWithShell(const std::string& target) = 0;
    virtual bool runProgram(const std::string& commandLine, bool wait) = 0;

    // --- window system -----------------------------------------------------------
    /// Size of the hall screen (the primary screen unless one was set).
    virtual int screenWidth() = 0;
    virtual int screenHeight() = 0;
    /// Top-left corner of the hall screen on the desktop; 0, 0 on one screen.
    virtual int screenLeft() { return 0; }
    virtual int screenTop() { return 0; }
    /// The screen that shows the hall display; null returns to the primary.
    virtual void setHallScreen(QScreen* screen) { (void)screen; }
    /// While this window is shown, every dialog and the pop-up menu open on
    /// its screen, centred on it, instead of over the hall display; null
    /// ends that.
    virtual void setDialogAnchor(QWidget* anchor) { (void)anchor; }
    virtual void setClipboardText(const std::string& text) = 0;
    virtual std::string executablePath() = 0;
    /// Claims a system-wide hot key delivered to onPress; its identifier, or 0
    /// when the key cannot be had. modifiers: 1 Alt, 2 Ctrl, 4 Shift (as the
    /// Windows MOD_ flags); key: a Windows virtual-key code.
    virtual int bindHotKey(int modifiers, int virtualKey, std::function<void()> onPress) = 0;
    virtual void clipCorners(QWidget* element, int diameter) = 0;
    /// Lets the user drag the element as by a title bar; returns after release.
    virtual void beginMove(QWidget* element) = 0;
    virtual void bringToFront(QWidget* element) = 0;

    /// Ends the program at once with the given exit code. The real host does
    /// not return; the fake host records the end and returns, so every caller
    /// returns straight after calling it.
    virtual void endProgram(int code = 0) = 0;
};

} // namespace luckdial
