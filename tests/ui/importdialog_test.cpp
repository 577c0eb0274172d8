#include "ui/importdialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalSpy>

#include <gtest/gtest.h>

using namespace luckdial;

namespace {

QString u(const char* utf8Text) {
    return QString::fromUtf8(utf8Text);
}

} // namespace

TEST(ImportDialog, SheetChoiceIsAnnouncedOnlyWhenTheOperatorMakesIt) {
    ImportDialog d({"一月", "二月", "三月"}, u("名单.xlsx"));
    EXPECT_EQ(d.windowTitle(), u("导入抽奖名单 - 名单.xlsx"));
    QSignalSpy chosen(&d, &ImportDialog::sheetChosen);
    d.sheetBox()->setCurrentIndex(2);
    ASSERT_EQ(chosen.count(), 1);
    EXPECT_EQ(chosen.at(0).at(0).toInt(), 2);
    // Going back after a sheet that could not be read is no new choice.
    d.showSheet(0);
    EXPECT_EQ(d.sheetBox()->currentIndex(), 0);
    EXPECT_EQ(chosen.count(), 1);
}

TEST(ImportDialog, NewRowsResetTheChoicesAndTheRecipeFollowsTheControls) {
    ImportDialog d({"名单"}, u("a.xlsx"));
    // Before any rows: nothing to import.
    EXPECT_FALSE(d.okButton()->isEnabled());

    d.setRows({{"工号", "姓名"}, {"1001", "张三"}, {"1002", "李四", "多余"}});
    EXPECT_TRUE(d.headerBox()->isChecked());
    // One item per column of the widest row, after （不用）.
    EXPECT_EQ(d.columnBox(0)->count(), 4);
    EXPECT_EQ(d.columnBox(2)->itemText(3), u("C列"));
    EntryRecipe r = d.recipe();
    EXPECT_TRUE(r.headerRow);
    EXPECT_EQ(r.columns, (std::vector<std::size_t>{0, 1}));
    EXPECT_EQ(r.joiner, " ");
    EXPECT_FALSE(r.dropDuplicates);
    EXPECT_EQ(d.entries().entries, (std::vector<std::string>{"1001 张三", "1002 李四"}));

    d.joinerEdit()->setText(u("、"));
    d.dropDuplicatesBox()->setChecked(true);
    d.columnBox(0)->setCurrentIndex(2);
    d.columnBox(1)->setCurrentIndex(0);
    d.columnBox(2)->setCurrentIndex(1);
    r = d.recipe();
    EXPECT_EQ(r.columns, (std::vector<std::size_t>{1, 0}));
    EXPECT_EQ(r.joiner, "、");
    EXPECT_TRUE(r.dropDuplicates);
    EXPECT_EQ(d.entries().entries, (std::vector<std::string>{"张三、1001", "李四、1002"}));

    // Another sheet's rows: the guesses start again.
    d.setRows({{"甲"}, {"乙"}});
    EXPECT_FALSE(d.headerBox()->isChecked());
    EXPECT_EQ(d.recipe().columns, (std::vector<std::size_t>{0}));
    EXPECT_EQ(d.preview()->count(), 2);
    EXPECT_EQ(d.countsLabel()->text(), u("共 2 条名单；跳过空行 0 行；重复的名单 0 条"));
}

TEST(ImportDialog, PreviewShowsTheFirstEntriesThenAnEllipsis) {
    ImportDialog d({"名单"}, u("a.csv"));
    std::vector<std::vector<std::string>> rows;
    for (int i = 1; i <= 25; ++i)
        rows.push_back({std::to_string(i)});
    d.setRows(rows);
    ASSERT_EQ(d.preview()->count(), ImportDialog::kPreviewEntries + 1);
    EXPECT_EQ(d.preview()->item(0)->text(), u("1"));
    EXPECT_EQ(d.preview()->item(ImportDialog::kPreviewEntries - 1)->text(), u("10"));
    EXPECT_EQ(d.preview()->item(ImportDialog::kPreviewEntries)->text(), u("……"));
    EXPECT_EQ(d.entries().entries.size(), 25u);
}
