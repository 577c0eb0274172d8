#pragma once
// Keeps every dialog and pop-up menu off the hall display while the
// operator's console is shown: whatever opens them, they are moved onto the
// console's screen, centred on the console, as they are shown.

#include <QObject>
#include <QPointer>
#include <QWidget>

namespace luckdial {

class DialogPlacement : public QObject {
public:
    /// Watches the whole application from now on.
    DialogPlacement();
    ~DialogPlacement() override;
    DialogPlacement(const DialogPlacement&) = delete;
    DialogPlacement& operator=(const DialogPlacement&) = delete;

    /// The console; null (or hidden) leaves every window where it opens.
    void setAnchor(QWidget* anchor) { anchor_ = anchor; }

    /// Where a window of the given size goes: centred on the anchor, inside
    /// the anchor's screen; one as large as a screen fills the anchor's screen.
    static QRect placeOn(const QRect& anchor, const QRect& screen, const QSize& size,
                         const QSize& largest);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QPointer<QWidget> anchor_;
};

} // namespace luckdial
