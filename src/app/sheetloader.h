#pragma once
// Reads a list's sheets on a thread of its own, so that the import window
// stays live (its progress bar moves, 取消 answers) however long a workbook
// takes. One read at a time; a new one, cancel() or the loader's end stops
// the one under way and waits for it. The reading thread runs at a lower
// priority, so a draw on screen is not slowed.

#include "sheet/sheet.h"

#include <QObject>
#include <QTimer>

#include <memory>
#include <string>
#include <thread>

namespace luckdial {

class SheetLoader : public QObject {
    Q_OBJECT
public:
    /// What one read gave: the sheet names (a first read only) and the sheet.
    struct Result {
        int index = 0;
        bool listed = false; ///< sheets holds the workbook's sheet names
        sheet::SheetList sheets;
        sheet::Table table;
    };

    explicit SheetLoader(QObject* parent = nullptr);
    ~SheetLoader() override;
    SheetLoader(const SheetLoader&) = delete;
    SheetLoader& operator=(const SheetLoader&) = delete;

    /// Lists the sheets of the file, then reads the first (index -1), or reads
    /// the sheet with the index. finished follows, on this object's thread,
    /// and take() then hands over what was read.
    void start(const std::string& path, int index, const sheet::ReadLimits& limits = {});
    /// Stops the read under way; it finishes as Cancelled, without a signal.
    void cancel();
    bool busy() const { return worker_.joinable(); }
    /// The last read's result, once finished was signalled.
    Result take() { return std::move(result_); }

Q_SIGNALS:
    /// How far the read is, 0 to 1000, or -1 while that is not known.
    void progressed(int permille);
    void finished();

private:
    struct Job;
    void poll();
    void stopWorker();

    std::shared_ptr<Job> job_;
    std::thread worker_;
    QTimer timer_;
    Result result_;
};

} // namespace luckdial
