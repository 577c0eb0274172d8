#include "support/settings_fixture.h"

#include "settings/core/names.h"
#include "settings/grouprulescontroller.h"

#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

#include <functional>
#include <map>

namespace luckdial::test {
namespace {

const char* const kSaved = "设置完毕！抽奖过程中，请不要再修改奖项设置！";

QString u(const char* utf8Text) {
    return QString::fromUtf8(utf8Text);
}

class RulesWindow : public SettingsTest {
protected:
    void SetUp() override { start(); }

    /// The panel open with its rules button, as after a start.
    void start() {
        rules.reset();
        makeWindow();
        controller->connectHandlers();
        controller->applyConfiguration();
        rules = std::make_unique<GroupRulesController>(host, *window);
        rules->connectHandlers();
        controller->openPanel();
    }

    /// Presses 分组规则... on the panel and runs f on the window once its
    /// modal wait has begun; f must close it. A window still open seconds
    /// later fails the test and is closed, so nothing waits for ever.
    void openRules(const std::function<void(QDialog&)>& f) {
        bool ran = false;
        QTimer::singleShot(0, window.get(), [&] {
            auto* dialog = window->findChild<QDialog*>(u("分组规则"));
            ASSERT_NE(dialog, nullptr);
            ASSERT_TRUE(dialog->isVisible());
            ran = true;
            f(*dialog);
        });
        QTimer watchdog;
        watchdog.setSingleShot(true);
        QObject::connect(&watchdog, &QTimer::timeout, window.get(), [this] {
            if (auto* dialog = window->findChild<QDialog*>(u("分组规则"))) {
                ADD_FAILURE() << "the rules window stayed open";
                dialog->reject();
            }
        });
        watchdog.start(5000);
        QPushButton* button = panel().group->findChild<QPushButton*>(u("按钮_分组规则"));
        ASSERT_NE(button, nullptr);
        button->click();
        EXPECT_TRUE(ran);
    }

    static QLineEdit* field(QDialog& dialog, const char* name, int row) {
        auto* f = dialog.findChild<QLineEdit*>(u(name) + QString::number(row));
        EXPECT_NE(f, nullptr) << name << row;
        return f;
    }
    static void press(QDialog& dialog, const char* name) {
        auto* b = dialog.findChild<QPushButton*>(u(name));
        ASSERT_NE(b, nullptr) << name;
        b->click();
    }

    std::string stored(const std::string& key) {
        return utf8(host.readItem(host.path(names::kConfigFile), names::kGeneral, key, "<none>"));
    }

    std::unique_ptr<GroupRulesController> rules;
};

struct RuleCase {
    int row;
    const char* eligibleTyped;
    const char* seatsTyped;
    const char* eligibleStored;
    const char* seatsStored;
};

const std::vector<RuleCase> kCases = {
    {4, "销售部、研发部", "销售部:5、研发部：5", "销售部、研发部", "销售部:5、研发部:5"},
    {1, "管理层", "", "管理层", ""},
    // Kept in the stored form: separators made alike, a zero quota left out.
    {8, " 子公司 ,总部", "子公司:0、总部:2", "子公司、总部", "总部:2"},
};

TEST_F(RulesWindow, SaveStoresTheRulesAndTheWindowShowsThemAfterARestart) {
    openRules([](QDialog& dialog) {
        for (const RuleCase& c : kCases) {
            type(field(dialog, "编辑框_可抽分组", c.row), c.eligibleTyped);
            type(field(dialog, "编辑框_分组名额", c.row), c.seatsTyped);
        }
        press(dialog, "按钮_确定");
    });
    // 确定 alone stores nothing: the panel's 保存 does.
    for (const RuleCase& c : kCases)
        EXPECT_EQ(stored(names::eligibleGroupsKey(c.row)), "<none>") << c.row;
    host.expectMessage(gbk(kSaved), IdOk, gbk("信息："), MbOk);
    panel().save->click();
    for (const RuleCase& c : kCases) {
        EXPECT_EQ(stored(names::eligibleGroupsKey(c.row)), c.eligibleStored) << c.row;
        EXPECT_EQ(stored(names::groupSeatsKey(c.row)), c.seatsStored) << c.row;
    }
    // Rows left alone are stored empty: no rule.
    EXPECT_EQ(stored(names::eligibleGroupsKey(2)), "");

    start();
    std::map<int, std::pair<std::string, std::string>> shown;
    openRules([&](QDialog& dialog) {
        for (int row = 1; row <= 8; ++row)
            shown[row] = {text(field(dialog, "编辑框_可抽分组", row)),
                          text(field(dialog, "编辑框_分组名额", row))};
        press(dialog, "按钮_取消");
    });
    for (const RuleCase& c : kCases) {
        EXPECT_EQ(shown[c.row].first, c.eligibleStored) << c.row;
        EXPECT_EQ(shown[c.row].second, c.seatsStored) << c.row;
    }
    EXPECT_EQ(shown[2], (std::pair<std::string, std::string>{"", ""}));
}

TEST_F(RulesWindow, CancelKeepsWhatIsStored) {
    ASSERT_TRUE(host.writeItem(host.path(names::kConfigFile), names::kGeneral,
                               names::eligibleGroupsKey(3), gbk("研发部")));
    openRules([](QDialog& dialog) {
        EXPECT_EQ(text(field(dialog, "编辑框_可抽分组", 3)), "研发部");
        type(field(dialog, "编辑框_可抽分组", 3), "销售部");
        press(dialog, "按钮_取消");
    });
    host.expectMessage(gbk(kSaved), IdOk, gbk("信息："), MbOk);
    panel().save->click();
    EXPECT_EQ(stored(names::eligibleGroupsKey(3)), "研发部");
    EXPECT_EQ(stored(names::groupSeatsKey(3)), "<none>");
}

} // namespace
} // namespace luckdial::test
