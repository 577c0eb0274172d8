#pragma once
// The small window shown while the pool loads and while progress is saved.

#include <QWidget>

namespace luckdial {

class TransparentLabel;

/// The loading caption window (500 x 60, one label 透明标签1), non-modal.
class LoadingCaption : public QWidget {
    Q_OBJECT
public:
    LoadingCaption();
    TransparentLabel* label() const { return label_; }
    /// Share of the work done, 0 to 1, drawn as a thin bar along the bottom
    /// edge; the label's text stays as it is. Below 0 draws no bar.
    void setProgress(double done);
    double progress() const { return progress_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    TransparentLabel* label_;
    double progress_ = -1;
};

} // namespace luckdial
