#pragma once
// Prepares the photos' small copies (prepareSmallCopies) on one thread of
// the lowest priority the system has (SCHED_IDLE: it runs only on a
// processor nothing else wants, so it never takes time from the scroll or
// from the decoding threads). A copy that cannot be written ends the pass:
// the photos are then decoded themselves, as without copies.
// Like the decoding threads, it reads and writes the files itself, not
// through Host, whose services belong to the window's thread.

#include "photos/smallcopy.h"

#include <QString>
#include <QStringList>

#include <condition_variable>
#include <mutex>
#include <thread>

namespace luckdial {

class SmallCopyMaker {
public:
    SmallCopyMaker();
    ~SmallCopyMaker();
    SmallCopyMaker(const SmallCopyMaker&) = delete;
    SmallCopyMaker& operator=(const SmallCopyMaker&) = delete;

    /// Starts a pass over the photos `photoFiles` of the folder (a native
    /// path); a pass under way stops after the photo it is at.
    void start(const QString& photoFolder, QStringList photoFiles);
    /// Stops the pass under way after the photo it is at.
    void stop();
    /// While paused a pass waits after the photo it is at (a draw scrolls:
    /// the processor is the scroll's, even what is left of it).
    void setPaused(bool paused);

    struct Progress : SmallCopyTally {
        bool running = false; ///< a pass is asked for or under way
    };
    Progress progress() const;
    /// Waits until no pass is under way, at most `ms` milliseconds (for
    /// benchmarks and tests); true when idle.
    bool waitUntilIdle(int ms);

private:
    void work();
    bool current(unsigned generation) const; ///< under mutex_

    mutable std::mutex mutex_;
    std::condition_variable wake_;
    std::condition_variable idle_;
    QString folder_;
    QStringList files_;
    unsigned generation_ = 0; ///< of the newest start() or stop()
    bool pending_ = false;    ///< a pass is asked for and not yet taken
    bool busy_ = false;       ///< the thread is in a pass
    bool paused_ = false;
    bool quit_ = false;
    Progress progress_;
    std::thread thread_;
};

} // namespace luckdial
