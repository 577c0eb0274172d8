#pragma once
// The rules window of the settings panel: each level's eligible groups and
// group seats, opened by 分组规则... beside 保存 (so behind the panel's
// password) and stored by the panel's 保存 together with its other fields.

#include <QObject>

#include <array>
#include <memory>
#include <string>

class QDialog;
class QPushButton;

namespace luckdial {

class Host;
class MainWindow;

class GroupRulesController : public QObject {
    Q_OBJECT
public:
    GroupRulesController(Host& host, MainWindow& window);

    /// Puts 分组规则... (按钮_分组规则) on the panel and stores the rules
    /// with every press of 保存.
    void connectHandlers();
    /// Opens the window; 确定 keeps what was typed until the next 保存.
    void openWindow();
    /// The window (分组规则) with the rules as stored or kept, not yet shown.
    std::unique_ptr<QDialog> makeWindow();
    /// Keeps what the window's fields hold until the next 保存.
    void keep(const QDialog& window);
    /// Writes the kept rules to the configuration file (nothing when none
    /// were changed in the window).
    void save();
    QPushButton* button() const { return button_; }

private:
    /// The stored texts of row 1 to 8, or what the window kept.
    std::pair<std::string, std::string> texts(int row) const;

    Host& host_;
    MainWindow& window_;
    QPushButton* button_ = nullptr;
    std::array<std::pair<std::string, std::string>, 8> kept_{};
    bool changed_ = false;
};

} // namespace luckdial
