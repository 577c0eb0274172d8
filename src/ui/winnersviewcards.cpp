// The winners view's cards: when a level shows photos the names become
// cards (winnercards.h); everything else of the view stays as it is.

#include "photos/photoloader.h"
#include "ui/elements.h"
#include "ui/widgets.h"
#include "ui/winnercards.h"
#include "ui/winnersview.h"

#include <QPainter>

#include <algorithm>

namespace luckdial {

WinnersView::~WinnersView() = default;

void WinnersView::setPhotoLoader(PhotoLoader* loader) {
    if (photos_) disconnect(photos_, nullptr, this, nullptr);
    photos_ = loader;
    prefetchedSize_ = {};
    if (photos_)
        connect(photos_, &PhotoLoader::photosReady, this, [this] {
            if (cardMode_ && isVisible()) update();
        });
    refresh(false);
}

void WinnersView::setCardsShown(bool shown) {
    if (shown == cardsShown_) return;
    cardsShown_ = shown;
    refresh(false);
}

void WinnersView::setScrollCards(bool shown) {
    if (shown == scrollCards_) return;
    scrollCards_ = shown;
    refresh(false);
}

void WinnersView::setScrolling(bool scrolling) {
    if (scrolling == scrolling_) return;
    scrolling_ = scrolling;
    // The entries of the draw to come are not those of the last one.
    if (scrolling) photoEntries_.clear();
    refresh(false);
}

void WinnersView::setPhotoEntries(QStringList entries) {
    photoEntries_ = std::move(entries);
    if (cardMode_) update();
}

void WinnersView::addPhotoEntry(const QString& entry) {
    photoEntries_.push_back(entry);
}

void WinnersView::setScrollEntries(QStringList entries) {
    scrollEntries_ = std::move(entries);
    prefetchedSize_ = {};
}

bool WinnersView::wantsCards() const {
    return photos_ != nullptr && cardsShown_ && (!scrolling_ || scrollCards_);
}

bool WinnersView::showsCards() const {
    return cardMode_;
}

const CardPages& WinnersView::cards() {
    layoutNow();
    return *cards_;
}

void WinnersView::layoutCards(const WinnersBounds& b, int maxPixelSize) {
    *cards_ = paginateCards(static_cast<int>(names_.size()), font_, maxPixelSize,
                            cardFloorWidth(e_.window->height()), b);
    pages_ = cards_->pages.pageCount > 1 ? cards_->pages : WinnersPages{};
    page_ = std::clamp(page_, 0, std::max(0, cards_->pages.pageCount - 1));
    block_ = layoutCardsPage(names_, *cards_, page_, b);
    const QSize size(cards_->card.width, cards_->card.photoHeight);
    if (scrolling_) {
        // The frames to come pick from the pool: decode it ahead, at the
        // frames' size, as far as the cache holds.
        if (size != prefetchedSize_ && !scrollEntries_.isEmpty() &&
            photos_->prefetch(scrollEntries_, size))
            prefetchedSize_ = size;
    } else if (pages_.pageCount > 1) {
        // The next page's photos are decoded while this one is shown.
        const auto [first, count] = pageRange(pages_, static_cast<int>(names_.size()), page_ + 1);
        QStringList next;
        for (int i = 0; i < count; ++i)
            next.push_back(photoEntry(first + i));
        (void)photos_->prefetch(next, size); // a missed prefetch only costs the wait
    }
    place();
    Q_EMIT pageChanged(page_, std::max(1, pages_.pageCount));
}

QString WinnersView::photoEntry(int i) const {
    // The unmasked entries count only when they are the names shown; a
    // scroll frame's names are the entries themselves.
    if (!scrolling_ && photoEntries_.size() == static_cast<qsizetype>(names_.size()) && i >= 0 &&
        i < photoEntries_.size())
        return photoEntries_[i];
    return i >= 0 && i < static_cast<int>(names_.size()) ? names_[static_cast<std::size_t>(i)]
                                                         : QString();
}

void WinnersView::paintCards(QPainter& p) {
    p.setRenderHint(QPainter::TextAntialiasing);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    const QColor colour = toQColor(e_.winners->textColour());
    const QPoint origin = geometry().topLeft();
    const CardGeometry& card = cards_->card;
    const QSize size(card.width, card.photoHeight);
    const int first =
        pages_.pageCount > 0 ? pageRange(pages_, static_cast<int>(names_.size()), page_).first : 0;
    for (std::size_t i = 0; i < block_.cells.size(); ++i) {
        const QString entry = photoEntry(first + static_cast<int>(i));
        // Never waits: a photo still being decoded shows the placeholder
        // until photosReady repaints.
        const PhotoLoader::Photo photo = photos_->photo(entry, size);
        paintCard(p, block_.cells[i].translated(-origin), card, block_.texts[i], entry, photo.image,
                  colour, font_);
    }
    paintIndicator(p, colour);
}

} // namespace luckdial
