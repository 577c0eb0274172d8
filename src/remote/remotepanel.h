#pragma once
// The operator's view of the phone remote: switch and port, the address and
// its QR code, who controls, the devices waiting for approval, re-arming and
// the log of every remote action with its time. A plain QWidget: it can sit
// in any window or console.

#include <QString>
#include <QStringList>
#include <QWidget>

class QLabel;
class QListWidget;
class QPushButton;
class QSpinBox;

namespace luckdial::remote {

class RemoteService;

class RemotePanel : public QWidget {
    Q_OBJECT
public:
    explicit RemotePanel(RemoteService& service, QWidget* parent = nullptr);

    /// Lines of the log, each "HH:MM:SS text".
    void addLog(const QString& time, const QStringList& lines);
    void setPort(quint16 port);
    quint16 port() const;
    /// The QR code shown now (null when off).
    QImage qrImage() const;

protected:
    void showEvent(QShowEvent* event) override;

Q_SIGNALS:
    /// The operator pressed the switch.
    void switchRequested(bool on);

private:
    void refresh();
    void addPending(quint32 id, const QString& address);
    void removePending(quint32 id);

    RemoteService& service_;
    QPushButton* switch_ = nullptr;
    QSpinBox* port_ = nullptr;
    QLabel* address_ = nullptr;
    QLabel* qr_ = nullptr;
    QLabel* controller_ = nullptr;
    QLabel* lock_ = nullptr;
    QLabel* refused_ = nullptr;
    QListWidget* pending_ = nullptr;
    QPushButton* approve_ = nullptr;
    QPushButton* deny_ = nullptr;
    QPushButton* rearm_ = nullptr;
    QListWidget* log_ = nullptr;
    QImage qrImage_;
    bool locked_ = false;
    quint64 refusedCount_ = 0;
    /// Lines came while the panel was hidden: shown when it is.
    bool logBehind_ = false;
};

} // namespace luckdial::remote
