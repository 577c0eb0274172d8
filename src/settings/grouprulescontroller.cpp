#include "settings/grouprulescontroller.h"

#include "draw/core/grouprules.h"
#include "host/core/text.h"
#include "host/host.h"
#include "host/qtext.h"
#include "pool/entrylist.h"
#include "pool/groupfile.h"
#include "settings/core/names.h"
#include "ui/elements.h"
#include "ui/mainwindow.h"

#include <QDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace luckdial {

GroupRulesController::GroupRulesController(Host& host, MainWindow& window)
    : host_(host), window_(window) {}

void GroupRulesController::connectHandlers() {
    PanelElements& p = window_.elements().panel;
    button_ = new QPushButton(QStringLiteral("分组规则..."), p.group);
    button_->setObjectName(QStringLiteral("按钮_分组规则"));
    button_->setGeometry(258, 393, 80, 24);
    connect(button_, &QPushButton::clicked, this, [this] { openWindow(); });
    connect(p.save, &QPushButton::clicked, this, [this] { save(); });
}

std::pair<std::string, std::string> GroupRulesController::texts(int row) const {
    if (changed_) return kept_[static_cast<std::size_t>(row - 1)];
    const std::string config = host_.path(names::kConfigFile);
    return {host_.readItem(config, names::kGeneral, names::eligibleGroupsKey(row)),
            host_.readItem(config, names::kGeneral, names::groupSeatsKey(row))};
}

void GroupRulesController::openWindow() {
    const std::unique_ptr<QDialog> dialog = makeWindow();
    if (dialog->exec() == QDialog::Accepted) keep(*dialog);
}

std::unique_ptr<QDialog> GroupRulesController::makeWindow() {
    auto owned = std::make_unique<QDialog>(&window_);
    QDialog& dialog = *owned;
    dialog.setObjectName(QStringLiteral("分组规则"));
    dialog.setWindowTitle(QStringLiteral("分组规则"));
    auto* grid = new QGridLayout;
    grid->addWidget(new QLabel(QStringLiteral("奖项"), &dialog), 0, 0);
    grid->addWidget(new QLabel(QStringLiteral("可抽分组（用“、”分开，空为全部）"), &dialog), 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("分组名额（如 销售部:5、研发部:5）"), &dialog), 0, 2);
    const PanelElements& p = window_.elements().panel;
    std::array<QLineEdit*, 8> eligible{};
    std::array<QLineEdit*, 8> seats{};
    for (int row = 1; row <= 8; ++row) {
        const auto i = static_cast<std::size_t>(row - 1);
        const QString name = p.name[i]->text();
        grid->addWidget(new QLabel(name.isEmpty() ? qstr(names::levelWord(row)) : name, &dialog),
                        row, 0);
        const auto [e, s] = texts(row);
        eligible[i] = new QLineEdit(qstr(e), &dialog);
        eligible[i]->setObjectName(QStringLiteral("编辑框_可抽分组") + QString::number(row));
        seats[i] = new QLineEdit(qstr(s), &dialog);
        seats[i]->setObjectName(QStringLiteral("编辑框_分组名额") + QString::number(row));
        grid->addWidget(eligible[i], row, 1);
        grid->addWidget(seats[i], row, 2);
    }
    std::vector<std::pair<std::string, std::size_t>> sizes = groupSizes(window_.pool());
    for (auto& [name, n] : sizes)
        name = utf8(name);
    const std::string groups = groupCountsText(sizes, 8);
    auto* known =
        new QLabel(groups.empty() ? QStringLiteral("名单没有分组。")
                                  : QStringLiteral("名单的分组：") + QString::fromStdString(groups),
                   &dialog);
    known->setObjectName(QStringLiteral("标签_名单分组"));
    known->setWordWrap(true);
    auto* ok = new QPushButton(QStringLiteral("确定"), &dialog);
    ok->setObjectName(QStringLiteral("按钮_确定"));
    auto* cancel = new QPushButton(QStringLiteral("取消"), &dialog);
    cancel->setObjectName(QStringLiteral("按钮_取消"));
    connect(ok, &QPushButton::clicked, &dialog, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, &dialog, &QDialog::reject);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(new QLabel(QStringLiteral("点击设置面板的“保存”后生效。"), &dialog));
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(&dialog);
    layout->addLayout(grid);
    layout->addWidget(known);
    layout->addLayout(buttons);
    return owned;
}

void GroupRulesController::keep(const QDialog& window) {
    for (int row = 1; row <= 8; ++row) {
        const auto* e =
            window.findChild<QLineEdit*>(QStringLiteral("编辑框_可抽分组") + QString::number(row));
        const auto* s =
            window.findChild<QLineEdit*>(QStringLiteral("编辑框_分组名额") + QString::number(row));
        if (!e || !s) return;
        // Kept in the stored form, so what is saved reads back the same.
        const LevelRule rule = parseLevelRule(gbkOf(e->text()), gbkOf(s->text()));
        kept_[static_cast<std::size_t>(row - 1)] = {eligibleText(rule), quotaText(rule)};
    }
    changed_ = true;
}

void GroupRulesController::save() {
    if (!changed_) return;
    const std::string config = host_.path(names::kConfigFile);
    bool ok = true;
    for (int row = 1; row <= 8; ++row) {
        const auto& [e, s] = kept_[static_cast<std::size_t>(row - 1)];
        ok = host_.writeItem(config, names::kGeneral, names::eligibleGroupsKey(row), e) && ok;
        ok = host_.writeItem(config, names::kGeneral, names::groupSeatsKey(row), s) && ok;
    }
    // A failed write keeps the rules for the next 保存.
    if (ok) changed_ = false;
}

} // namespace luckdial
