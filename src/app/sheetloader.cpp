#include "app/sheetloader.h"

#include <QMetaObject>

#include <algorithm>

#include <sys/resource.h>
#include <unistd.h>

namespace luckdial {

struct SheetLoader::Job {
    sheet::ReadProgress progress;
    std::atomic<int> stage{0}; ///< 0 listing, 1 reading the sheet
    bool listing = false;
};

namespace {

/// The progress of the part being read; listing and reading share the bar.
int permilleOf(const sheet::ReadProgress& p, bool listing, int stage) {
    const std::uint64_t total = p.total.load(std::memory_order_relaxed);
    const std::uint64_t done = p.done.load(std::memory_order_relaxed);
    if (total == 0) return -1;
    const int part = static_cast<int>(std::min<std::uint64_t>(done, total) * 1000 / total);
    if (!listing) return part;
    return stage == 0 ? part / 5 : 200 + part * 4 / 5;
}

} // namespace

SheetLoader::SheetLoader(QObject* parent) : QObject(parent) {
    timer_.setInterval(50);
    connect(&timer_, &QTimer::timeout, this, &SheetLoader::poll);
}

SheetLoader::~SheetLoader() {
    stopWorker();
}

void SheetLoader::stopWorker() {
    if (job_) job_->progress.cancel = true;
    if (worker_.joinable()) worker_.join();
    job_.reset();
    timer_.stop();
}

void SheetLoader::cancel() {
    stopWorker();
}

void SheetLoader::poll() {
    if (job_) Q_EMIT progressed(permilleOf(job_->progress, job_->listing, job_->stage.load()));
}

void SheetLoader::start(const std::string& path, int index, const sheet::ReadLimits& limits) {
    stopWorker();
    auto job = std::make_shared<Job>();
    job->listing = index < 0;
    job_ = job;
    sheet::ReadLimits bounded = limits;
    bounded.progress = &job->progress;
    timer_.start();
    Q_EMIT progressed(-1);
    worker_ = std::thread([this, job, path, index, bounded] {
        // Below the window's thread: the draw's frames come first.
        (void)setpriority(PRIO_PROCESS, static_cast<id_t>(gettid()), 10);
        Result result;
        result.index = index < 0 ? 0 : index;
        if (index < 0) {
            result.listed = true;
            result.sheets = sheet::listSheets(path, bounded);
            if (result.sheets.error == sheet::ReadError::None && result.sheets.names.empty())
                result.sheets.error = sheet::ReadError::NotSpreadsheet;
            job->progress.done = 0;
            job->progress.total = 0;
            job->stage = 1;
        }
        if (result.sheets.error == sheet::ReadError::None)
            result.table = sheet::readSheet(path, static_cast<std::size_t>(result.index), bounded);
        if (job->progress.cancel) return;
        // Handed over on the window's thread; a loader gone by then (it
        // waits for this thread first) takes the event with it.
        QMetaObject::invokeMethod(
            this,
            [this, job, result = std::move(result)]() mutable {
                if (job != job_) return; // a read since cancelled or replaced
                if (worker_.joinable()) worker_.join();
                job_.reset();
                timer_.stop();
                result_ = std::move(result);
                Q_EMIT finished();
            },
            Qt::QueuedConnection);
    });
}

} // namespace luckdial
