#include "support/settings_fixture.h"

#include "settings/core/password.h"
#include "ui/passwordwindow.h"

#include <QAction>
#include <QApplication>
#include <QFrame>
#include <QPushButton>
#include <QTimer>

namespace luckdial::test {
namespace {

const char* const kWrong = "密码不正确！请重新输入。";
const char* const kOldFirst = "请在密码框输入原始密码后再修改！";
const char* const kDone = "设置成功！请牢记您的密码！";
const char* const kNone = "您没有设置任何密码！";

class PasswordFlow : public SettingsTest {
protected:
    PasswordFlow() : login(window.get()) { login.show(); }

    void typed(const std::string& utf8Text) {
        login.passwordEdit()->setText(QString::fromStdString(utf8Text));
    }
    bool panelOpen() { return panel().frame->isVisibleTo(window.get()); }
    void expectMessage(const char* utf8Text) { host.expectMessage(gbk(utf8Text), IdOk, {}, MbOk); }
    void expectNewPassword(std::optional<std::string> utf8Answer) {
        if (utf8Answer) utf8Answer = gbk(*utf8Answer);
        host.expectInput(gbk("请输入密码"), utf8Answer);
    }
    std::string stored() { return host.readItem(host.path("peizhi.a"), "zbt", "password"); }

    PasswordWindow login;
};

TEST_F(PasswordFlow, WithoutAPasswordOnlyTheEmptyTextOpens) {
    typed("x");
    expectMessage(kWrong);
    controller->login(login);
    EXPECT_FALSE(panelOpen());
    EXPECT_TRUE(login.isVisible());

    typed("");
    controller->login(login);
    EXPECT_TRUE(panelOpen());
    EXPECT_TRUE(panel().save->isEnabled());
    EXPECT_FALSE(login.isVisible());
    EXPECT_EQ(login.result(), QDialog::Accepted);
}

TEST_F(PasswordFlow, ChangingFromEmptyStoresTheNewPassword) {
    expectNewPassword("Abc1");
    expectMessage(kDone);
    controller->changePassword(login);
    EXPECT_FALSE(login.isVisible());
    EXPECT_FALSE(panelOpen());
    EXPECT_EQ(decodePassword(stored()), gbk("Abc1"));
    EXPECT_NE(stored(), "Abc1");

    PasswordWindow again(window.get());
    again.show();
    for (const char* refused : {"", "abc1", "ABC1", "Abc"}) {
        again.passwordEdit()->setText(QString::fromUtf8(refused));
        expectMessage(kWrong);
        controller->login(again);
        EXPECT_FALSE(panelOpen()) << refused;
    }
    again.passwordEdit()->setText(QStringLiteral("Abc1"));
    controller->login(again);
    EXPECT_TRUE(panelOpen());
}

TEST_F(PasswordFlow, ChangeNeedsTheOldPassword) {
    host.writeItem(host.path("peizhi.a"), "zbt", "password", encodePassword(gbk("旧密码")));
    typed("wrong");
    expectMessage(kOldFirst);
    controller->changePassword(login);
    EXPECT_TRUE(login.isVisible());
    EXPECT_EQ(decodePassword(stored()), gbk("旧密码"));
}

TEST_F(PasswordFlow, AnEmptyNewPasswordIsReportedAndStoredEmpty) {
    host.writeItem(host.path("peizhi.a"), "zbt", "password", encodePassword("old"));
    typed("old");
    expectNewPassword("");
    expectMessage(kNone);
    controller->changePassword(login);
    EXPECT_EQ(stored(), "");
    EXPECT_TRUE(login.isVisible());

    typed("");
    controller->login(login);
    EXPECT_TRUE(panelOpen());
}

TEST_F(PasswordFlow, CancellingTheInputKeepsTheOldPassword) {
    host.writeItem(host.path("peizhi.a"), "zbt", "password", encodePassword("old"));
    typed("old");
    expectNewPassword(std::nullopt);
    expectMessage(kDone);
    controller->changePassword(login);
    EXPECT_EQ(decodePassword(stored()), "old");
    EXPECT_FALSE(login.isVisible());
}

TEST_F(PasswordFlow, AHandWrittenPlainValueIsTakenLiterally) {
    host.writeItem(host.path("peizhi.a"), "zbt", "password", "xyz");
    typed("xyz");
    controller->login(login);
    EXPECT_TRUE(panelOpen());
}

TEST_F(PasswordFlow, TheMenuItemOpensTheModalWindow) {
    controller->connectHandlers();
    bool seen = false;
    QTimer::singleShot(0, [&] {
        auto* modal = qobject_cast<PasswordWindow*>(QApplication::activeModalWidget());
        ASSERT_NE(modal, nullptr);
        seen = true;
        modal->enterButton()->click();
    });
    e().menu.prizeSettings->trigger();
    EXPECT_TRUE(seen);
    EXPECT_TRUE(panelOpen());
}

} // namespace
} // namespace luckdial::test
