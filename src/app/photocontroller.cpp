#include "app/photocontroller.h"

#include "host/core/hostbase.h"
#include "host/host.h"
#include "host/qtext.h"
#include "photos/photoloader.h"
#include "photos/smallcopymaker.h"
#include "pool/pool.h"
#include "settings/core/names.h"
#include "ui/elements.h"
#include "ui/mainwindow.h"
#include "ui/prizetable.h"
#include "ui/widgets.h"
#include "ui/winnersview.h"

#include <QAction>
#include <QComboBox>
#include <QEvent>

namespace luckdial {

PhotoController::PhotoController(Host& host, MainWindow& window)
    : host_(host), window_(window), e_(window.elements()), loader_(std::make_unique<PhotoLoader>()),
      copies_(std::make_unique<SmallCopyMaker>()) {}

PhotoController::~PhotoController() {
    if (e_.winnersView) e_.winnersView->setPhotoLoader(nullptr);
}

void PhotoController::connectHandlers() {
    connect(e_.levelCombo, &QComboBox::currentTextChanged, this, [this] { applyLevel(); });
    connect(e_.menu.levelPhotos, &QAction::triggered, this,
            [this](bool on) { setLevelPhotos(on); });
    connect(e_.menu.scrollPhotos, &QAction::triggered, this,
            [this](bool on) { setScrollPhotos(on); });
    // The stop button is shown exactly while a draw scrolls.
    e_.stopButton->installEventFilter(this);
    // Connected after the import's own handler: the new list is in place.
    connect(e_.menu.importList, &QAction::triggered, this, [this] { reload(); });
}

void PhotoController::reload() {
    const QString folder =
        QString::fromStdString(HostBase::nativePath(host_.path(names::photoDirectory())));
    loader_->rescan(folder);
    const bool any = !loader_->index().isEmpty();
    // Also without photos: the copies of photos taken away are stale.
    copies_->start(folder, loader_->index().files());
    withPhotos_ = 0;
    lookedAt_ = 0;
    QStringList entries;
    if (any) {
        const Pool& pool = window_.pool();
        const std::size_t n = pool.count();
        const std::size_t step = n > kSampled ? n / kSampled : 1;
        for (std::size_t i = 0; i < n && lookedAt_ < kSampled; i += step) {
            const QString entry = qstr(pool.entryAt(i));
            ++lookedAt_;
            if (loader_->hasPhoto(entry)) {
                ++withPhotos_;
                entries.push_back(entry);
            }
        }
    }
    e_.menu.levelPhotos->setVisible(any);
    e_.menu.scrollPhotos->setVisible(any);
    e_.winnersView->setPhotoLoader(any ? loader_.get() : nullptr);
    e_.winnersView->setScrollEntries(entries);
    const std::string scroll =
        host_.readItem(host_.path(names::kConfigFile), names::kGeneral, gbk(names::kScrollPhotos));
    e_.menu.scrollPhotos->setChecked(scroll == "1");
    e_.winnersView->setScrollCards(scroll == "1");
    applyLevel();
}

bool PhotoController::eventFilter(QObject* watched, QEvent* event) {
    if (watched == e_.stopButton &&
        (event->type() == QEvent::Show || event->type() == QEvent::Hide))
        copies_->setPaused(event->type() == QEvent::Show);
    return QObject::eventFilter(watched, event);
}

std::optional<int> PhotoController::currentRow() const {
    return PrizeTable(e_.panel).rowOf(e_.levelCombo->currentText());
}

bool PhotoController::levelShowsPhotos(int row) const {
    if (loader_->index().isEmpty()) return false;
    const std::string stored =
        host_.readItem(host_.path(names::kConfigFile), names::kGeneral, names::levelPhotosKey(row));
    if (stored == "1") return true;
    if (stored == "0") return false;
    return lookedAt_ > 0 && 2 * withPhotos_ > lookedAt_;
}

void PhotoController::applyLevel() {
    const std::optional<int> row = currentRow();
    const bool on = row && levelShowsPhotos(*row);
    e_.menu.levelPhotos->setEnabled(row.has_value());
    e_.menu.levelPhotos->setChecked(on);
    e_.winnersView->setCardsShown(on);
}

void PhotoController::setLevelPhotos(bool on) {
    const std::optional<int> row = currentRow();
    if (!row) return applyLevel();
    // A failed write keeps the choice for this run; the next start asks again.
    (void)host_.writeItem(host_.path(names::kConfigFile), names::kGeneral,
                          names::levelPhotosKey(*row), on ? "1" : "0");
    applyLevel();
}

void PhotoController::setScrollPhotos(bool on) {
    // As above: the choice holds for this run even when it cannot be kept.
    (void)host_.writeItem(host_.path(names::kConfigFile), names::kGeneral,
                          gbk(names::kScrollPhotos), on ? "1" : "0");
    e_.winnersView->setScrollCards(on);
}

} // namespace luckdial
