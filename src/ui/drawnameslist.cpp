#include "ui/drawnameslist.h"

#include "ui/winnersview.h"

#include <QAbstractListModel>
#include <QFont>
#include <QLabel>
#include <QListView>
#include <QPalette>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>

namespace luckdial {

/// The names, numbered, the hall's page in bold on a highlighted ground.
class DrawNamesModel : public QAbstractListModel {
public:
    using QAbstractListModel::QAbstractListModel;

    int rowCount(const QModelIndex& parent) const override {
        return parent.isValid() ? 0 : static_cast<int>(names_.size());
    }
    QVariant data(const QModelIndex& index, int role) const override {
        if (!index.isValid() || index.row() >= names_.size()) return {};
        const int row = index.row();
        switch (role) {
        case Qt::DisplayRole:
            return QStringLiteral("%1. %2").arg(row + 1).arg(names_[row]);
        case Qt::FontRole:
            if (shown(row)) {
                QFont bold;
                bold.setBold(true);
                return bold;
            }
            return {};
        case Qt::BackgroundRole:
            if (shown(row)) return QPalette().highlight().color().lighter(170);
            return {};
        default:
            return {};
        }
    }

    void setNames(const QStringList& names) {
        if (names == names_) return;
        beginResetModel();
        names_ = names;
        endResetModel();
    }
    void setShown(int first, int count) {
        if (first == first_ && count == count_) return;
        const int before = first_, beforeCount = count_;
        first_ = first;
        count_ = count;
        touch(before, beforeCount);
        touch(first_, count_);
    }
    bool shown(int row) const { return row >= first_ && row < first_ + count_; }
    const QStringList& names() const { return names_; }
    int first() const { return first_; }

private:
    void touch(int first, int count) {
        const int last = std::min(first + count, static_cast<int>(names_.size())) - 1;
        if (count > 0 && first <= last) Q_EMIT dataChanged(index(first), index(last));
    }

    QStringList names_;
    int first_ = 0;
    int count_ = 0;
};

DrawNamesList::DrawNamesList(QWidget* parent)
    : QWidget(parent), model_(new DrawNamesModel(this)), list_(new QListView(this)),
      caption_(new QLabel(this)), gather_(new QTimer(this)) {
    setObjectName(QStringLiteral("drawNamesList"));
    list_->setModel(model_);
    list_->setUniformItemSizes(true);
    list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list_->setSelectionMode(QAbstractItemView::NoSelection);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(caption_);
    layout->addWidget(list_, 1);
    gather_->setSingleShot(true);
    gather_->setInterval(200);
    connect(gather_, &QTimer::timeout, this, &DrawNamesList::sync);
}

DrawNamesList::~DrawNamesList() = default;

void DrawNamesList::follow(WinnersView* view) {
    view_ = view;
    connect(view, &WinnersView::pageChanged, this, [this] {
        if (!gather_->isActive()) gather_->start();
    });
    connect(view, &QObject::destroyed, this, [this] { view_ = nullptr; });
    sync();
}

void DrawNamesList::sync() {
    gather_->stop();
    if (!view_) return;
    QStringList names;
    names.reserve(static_cast<int>(view_->names().size()));
    for (const QString& name : view_->names())
        names.push_back(name);
    setNames(names);
    const auto [first, count] = view_->shownRange();
    setShownRange(first, count, view_->currentPage(), view_->pageCount());
}

void DrawNamesList::setNames(const QStringList& names) {
    model_->setNames(names);
    caption_->setText(caption());
}

void DrawNamesList::setShownRange(int first, int count, int page, int pageCount) {
    const bool moved = first != model_->first();
    model_->setShown(first, count);
    page_ = page;
    pageCount_ = pageCount;
    caption_->setText(caption());
    if (moved && count > 0) list_->scrollTo(model_->index(first), QAbstractItemView::PositionAtTop);
}

const QStringList& DrawNamesList::names() const {
    return model_->names();
}

bool DrawNamesList::isShown(int row) const {
    return model_->shown(row);
}

QString DrawNamesList::caption() const {
    const QString total = QStringLiteral("共 %1 人").arg(model_->names().size());
    if (pageCount_ <= 1) return total;
    return QStringLiteral("第 %1/%2 页 · ").arg(page_ + 1).arg(pageCount_) + total;
}

} // namespace luckdial
