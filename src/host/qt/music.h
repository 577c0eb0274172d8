#pragma once
// Background music: a playlist of sound files played a number of times or
// for ever. Missing files are skipped; without an audio device, or when no
// file can be played, nothing is heard and nothing is reported.

#include <QString>

#include <memory>
#include <vector>

class QMediaPlayer;
class QAudioOutput;

namespace luckdial {

class MusicPlayer {
public:
    MusicPlayer();
    ~MusicPlayer();
    MusicPlayer(const MusicPlayer&) = delete;
    MusicPlayer& operator=(const MusicPlayer&) = delete;

    /// files: paths on disk. count -1 repeats the list for ever, n > 0 plays
    /// it n times, anything else plays nothing. Replaces what plays.
    void play(int count, const std::vector<QString>& files);
    void stop();
    /// True while a playlist is active (it may still be loading).
    bool active() const { return !files_.empty(); }

private:
    void startCurrent();
    void finished(bool played);

    std::unique_ptr<QAudioOutput> audio_;
    std::unique_ptr<QMediaPlayer> player_;
    std::vector<QString> files_;
    std::size_t index_ = 0;
    int remaining_ = 0;
    bool playedThisPass_ = false;
    bool transitionPending_ = false;
    unsigned generation_ = 0;
};

} // namespace luckdial
