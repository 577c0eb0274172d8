#pragma once
// The small window that guards the settings panel: a password field and the
// two buttons "进入设置" and "修改密码". Only the look lives here; the
// settings code connects the buttons.

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

namespace luckdial {

class PasswordWindow : public QDialog {
    Q_OBJECT
public:
    explicit PasswordWindow(QWidget* parent = nullptr);

    QLabel* promptLabel() const { return label_; }        ///< 标签1
    QLineEdit* passwordEdit() const { return edit_; }     ///< 编辑框1 (password echo)
    QPushButton* enterButton() const { return enter_; }   ///< 按钮_登陆 "进入设置"
    QPushButton* changeButton() const { return change_; } ///< 按钮_修改密码 "修改密码"

private:
    QLabel* label_;
    QLineEdit* edit_;
    QPushButton* enter_;
    QPushButton* change_;
};

} // namespace luckdial
