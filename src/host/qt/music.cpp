#include "host/qt/music.h"

#include <QAudioDevice>
#include <QAudioOutput>
#include <QFileInfo>
#include <QMediaDevices>
#include <QMediaPlayer>
#include <QMetaObject>
#include <QUrl>

namespace luckdial {

MusicPlayer::MusicPlayer() = default;

MusicPlayer::~MusicPlayer() {
    if (player_) {
        // Disconnect first so a stopping player does not call back into a
        // half-destroyed object.
        QObject::disconnect(player_.get(), nullptr, nullptr, nullptr);
        player_->stop();
    }
}

void MusicPlayer::play(int count, const std::vector<QString>& files) {
    stop();
    if (count == 0 || count < -1) return;
    std::vector<QString> playable;
    for (const QString& file : files)
        if (QFileInfo(file).isFile()) playable.push_back(file);
    if (playable.empty()) return;
    if (QMediaDevices::defaultAudioOutput().isNull()) return;

    if (!player_) {
        audio_ = std::make_unique<QAudioOutput>();
        player_ = std::make_unique<QMediaPlayer>();
        player_->setAudioOutput(audio_.get());
        QObject::connect(player_.get(), &QMediaPlayer::mediaStatusChanged, player_.get(),
                         [this](QMediaPlayer::MediaStatus status) {
                             if (status == QMediaPlayer::LoadedMedia ||
                                 status == QMediaPlayer::BufferedMedia)
                                 playedThisPass_ = true;
                             if (status == QMediaPlayer::EndOfMedia) finished(true);
                             if (status == QMediaPlayer::InvalidMedia) finished(false);
                         });
        QObject::connect(player_.get(), &QMediaPlayer::errorOccurred, player_.get(),
                         [this](QMediaPlayer::Error error, const QString&) {
                             if (error != QMediaPlayer::NoError) finished(false);
                         });
    }
    files_ = std::move(playable);
    index_ = 0;
    remaining_ = count;
    playedThisPass_ = false;
    startCurrent();
}

void MusicPlayer::stop() {
    ++generation_;
    transitionPending_ = false;
    files_.clear();
    if (player_) {
        player_->stop();
        player_->setSource(QUrl());
    }
}

void MusicPlayer::startCurrent() {
    const QUrl url = QUrl::fromLocalFile(files_[index_]);
    // The same source again (a one-file list repeating) is not reloaded.
    if (player_->source() == url) player_->setPosition(0);
    player_->setSource(url);
    player_->play();
}

void MusicPlayer::finished(bool played) {
    if (files_.empty()) return;
    if (played) playedThisPass_ = true;
    // An unplayable file may report both an error and invalid media.
    if (transitionPending_) return;
    transitionPending_ = true;
    // Move on from the event loop, not from inside the player's signal.
    const unsigned generation = generation_;
    QMetaObject::invokeMethod(
        player_.get(),
        [this, generation] {
            if (generation != generation_ || files_.empty()) return;
            transitionPending_ = false;
            if (++index_ < files_.size()) {
                startCurrent();
                return;
            }
            index_ = 0;
            // A pass in which nothing could be played would otherwise repeat
            // for ever without a sound.
            const bool anyPlayed = playedThisPass_;
            playedThisPass_ = false;
            if (!anyPlayed || (remaining_ > 0 && --remaining_ == 0)) {
                stop();
                return;
            }
            startCurrent();
        },
        Qt::QueuedConnection);
}

} // namespace luckdial
