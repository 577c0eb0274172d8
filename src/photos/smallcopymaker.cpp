#include "photos/smallcopymaker.h"

#include <chrono>

#include <pthread.h>
#include <sched.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace luckdial {
namespace {

// Where the system has no idle class for a thread, the weakest nice value
// comes closest.
void idleThisThread() {
    sched_param param{};
    if (pthread_setschedparam(pthread_self(), SCHED_IDLE, &param) != 0)
        (void)setpriority(PRIO_PROCESS, static_cast<id_t>(syscall(SYS_gettid)), 19);
}

} // namespace

SmallCopyMaker::SmallCopyMaker() : thread_([this] { work(); }) {}

SmallCopyMaker::~SmallCopyMaker() {
    {
        std::lock_guard lock(mutex_);
        quit_ = true;
        ++generation_;
    }
    wake_.notify_all();
    thread_.join();
}

void SmallCopyMaker::start(const QString& photoFolder, QStringList photoFiles) {
    {
        std::lock_guard lock(mutex_);
        ++generation_;
        folder_ = photoFolder;
        progress_ = Progress{};
        progress_.photos = static_cast<int>(photoFiles.size());
        files_ = std::move(photoFiles);
        pending_ = true;
    }
    wake_.notify_all();
}

void SmallCopyMaker::stop() {
    {
        std::lock_guard lock(mutex_);
        ++generation_;
        pending_ = false;
        files_.clear();
    }
    wake_.notify_all();
    idle_.notify_all();
}

void SmallCopyMaker::setPaused(bool paused) {
    {
        std::lock_guard lock(mutex_);
        paused_ = paused;
    }
    wake_.notify_all();
}

bool SmallCopyMaker::current(unsigned generation) const {
    return generation == generation_ && !quit_;
}

SmallCopyMaker::Progress SmallCopyMaker::progress() const {
    std::lock_guard lock(mutex_);
    Progress p = progress_;
    p.running = pending_ || busy_;
    return p;
}

bool SmallCopyMaker::waitUntilIdle(int ms) {
    std::unique_lock lock(mutex_);
    return idle_.wait_for(lock, std::chrono::milliseconds(ms),
                          [this] { return !pending_ && !busy_; });
}

void SmallCopyMaker::work() {
    idleThisThread();
    std::unique_lock lock(mutex_);
    for (;;) {
        wake_.wait(lock, [this] { return quit_ || pending_; });
        if (quit_) return;
        pending_ = false;
        busy_ = true;
        const unsigned generation = generation_;
        const QString folder = folder_;
        const QStringList files = std::move(files_);
        files_.clear();
        lock.unlock();
        (void)prepareSmallCopies(folder, files, [this, generation](const SmallCopyTally& tally) {
            std::unique_lock guard(mutex_);
            if (!current(generation)) return false;
            static_cast<SmallCopyTally&>(progress_) = tally;
            wake_.wait(guard, [&] { return !paused_ || !current(generation); });
            return current(generation);
        });
        lock.lock();
        busy_ = false;
        if (!pending_) idle_.notify_all();
    }
}

} // namespace luckdial
