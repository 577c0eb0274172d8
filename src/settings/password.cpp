// The access password in front of the settings panel.
#include "settings/settingscontroller.h"

#include "host/core/text.h"
#include "host/host.h"
#include "host/qt/qtext.h"
#include "settings/core/password.h"
#include "ui/mainwindow.h"
#include "ui/passwordwindow.h"

#include <QLineEdit>
#include <QPushButton>

namespace luckdial {
std::string SettingsController::storedPassword() {
    const std::string stored = item("password");
    // A value that is no stored form was written by hand: take it literally,
    // so the operator who wrote it can still get in.
    return decodePassword(stored).value_or(stored);
}

void SettingsController::showPasswordWindow() {
    PasswordWindow window(&window_);
    connect(window.enterButton(), &QPushButton::clicked, &window,
            [this, &window] { login(window); });
    connect(window.changeButton(), &QPushButton::clicked, &window,
            [this, &window] { changePassword(window); });
    window.exec();
    // Without a window manager the keyboard would stay with the root window.
    if (window_.isVisible()) window_.activateWindow();
}

void SettingsController::login(PasswordWindow& window) {
    if (storedPassword() == gbkOf(window.passwordEdit()->text())) {
        openPanel();
        window.accept();
        return;
    }
    host_.messageBox(gbk("密码不正确！请重新输入。"), MbOk);
}

void SettingsController::changePassword(PasswordWindow& window) {
    std::string current = storedPassword();
    if (current != gbkOf(window.passwordEdit()->text())) {
        host_.messageBox(gbk("请在密码框输入原始密码后再修改！"), MbOk);
        return;
    }
    if (auto entered = host_.inputBox(gbk("请输入密码"), gbk("请输入密码"), std::string()))
        current = std::move(*entered);
    const std::string stored = encodePassword(current);
    store("password", stored);
    if (!stored.empty()) {
        host_.messageBox(gbk("设置成功！请牢记您的密码！"), MbOk);
        window.reject();
    } else {
        host_.messageBox(gbk("您没有设置任何密码！"), MbOk);
    }
}

} // namespace luckdial
