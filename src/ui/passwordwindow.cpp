#include "ui/passwordwindow.h"

#include "host/core/text.h"
#include "ui/widgets.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace luckdial {

PasswordWindow::PasswordWindow(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("密码设置！"));
    setFixedSize(380, 180);
    setFont(toQFont({gbk("宋体"), 10}));

    label_ = new QLabel(QStringLiteral("输入密码(初始密码为空)："), this);
    label_->setObjectName(QStringLiteral("标签1"));
    label_->setGeometry(24, 22, 300, 22);

    edit_ = new QLineEdit(this);
    edit_->setObjectName(QStringLiteral("编辑框1"));
    edit_->setGeometry(24, 52, 332, 28);
    edit_->setEchoMode(QLineEdit::Password);

    enter_ = new QPushButton(QStringLiteral("进入设置"), this);
    enter_->setObjectName(QStringLiteral("按钮_登陆"));
    enter_->setGeometry(52, 112, 120, 34);
    enter_->setDefault(true);

    change_ = new QPushButton(QStringLiteral("修改密码"), this);
    change_->setObjectName(QStringLiteral("按钮_修改密码"));
    change_->setGeometry(208, 112, 120, 34);
    change_->setAutoDefault(false);

    edit_->setFocus();
}

} // namespace luckdial
