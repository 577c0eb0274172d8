#pragma once
// The operator's list of the current draw: every name at once, in the
// results' order, numbered, with the names of the page the hall shows marked,
// so that the operator can call out a name the hall sees. A standalone panel,
// fed by the winners view (follow) or by anyone through setNames and
// setShownRange.

#include <QStringList>
#include <QWidget>

class QLabel;
class QListView;
class QTimer;

namespace luckdial {

class WinnersView;
class DrawNamesModel;

class DrawNamesList : public QWidget {
    Q_OBJECT
public:
    explicit DrawNamesList(QWidget* parent = nullptr);
    ~DrawNamesList() override;

    /// Keeps the list in step with the view: its names and the page it shows.
    /// Changes arriving faster than the list is worth redrawing (a scroll)
    /// are gathered and shown a moment later; sync() shows them at once.
    void follow(WinnersView* view);
    /// Takes what the followed view shows now.
    void sync();

    void setNames(const QStringList& names);
    /// The names first .. first+count-1 are on the hall; page is 0-based.
    void setShownRange(int first, int count, int page, int pageCount);

    const QStringList& names() const;
    /// Whether row i is on the page the hall shows.
    bool isShown(int row) const;
    /// "第 2/7 页 · 共 300 人" (or "共 3 人" when there are no pages).
    QString caption() const;
    QListView* listView() const { return list_; }

private:
    DrawNamesModel* model_;
    QListView* list_;
    QLabel* caption_;
    QTimer* gather_;
    WinnersView* view_ = nullptr;
    int page_ = 0;
    int pageCount_ = 0;
};

} // namespace luckdial
