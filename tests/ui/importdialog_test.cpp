#include "ui/importdialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalSpy>

#include <gtest/gtest.h>

#include <functional>

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

TEST(ImportDialog, APhotoColumnIsChosenOnlyOnPurposeAndTheShellSaysWhatItFound) {
    ImportDialog d({"名单"}, u("a.xlsx"));
    d.setRows({{"工号", "姓名", "照片"}, {"1001", "张三", "p/1001.jpg"}, {"1002", "李四", ""}});
    EXPECT_EQ(d.photoBox()->objectName(), u("组合框_照片"));
    EXPECT_EQ(d.photoBox()->currentText(), u("（不导入）"));
    EXPECT_EQ(d.photoBox()->itemText(3), u("C列：照片"));
    EXPECT_EQ(d.recipe().photoColumn, std::string::npos);
    EXPECT_TRUE(d.entries().photos.empty());
    EXPECT_TRUE(d.photosLabel()->isHidden());

    // Every change of the entries asks the shell again.
    QSignalSpy asked(&d, &ImportDialog::photosChanged);
    struct Step {
        const char* what;
        std::function<void()> act;
        std::size_t column;
        std::vector<std::string> photos;
    };
    const std::vector<Step> steps = {
        {"photo column chosen", [&] { d.photoBox()->setCurrentIndex(3); }, 2, {"p/1001.jpg", ""}},
        {"entries change", [&] { d.columnBox(1)->setCurrentIndex(0); }, 2, {"p/1001.jpg", ""}},
        {"the number column as photos",
         [&] { d.photoBox()->setCurrentIndex(1); },
         0,
         {"1001", "1002"}},
        {"no photos again", [&] { d.photoBox()->setCurrentIndex(0); }, std::string::npos, {}},
    };
    int expected = 0;
    for (const Step& step : steps) {
        step.act();
        EXPECT_EQ(asked.count(), ++expected) << step.what;
        EXPECT_EQ(d.recipe().photoColumn, step.column) << step.what;
        EXPECT_EQ(d.entries().photos, step.photos) << step.what;
    }
    // The shell's answer is the line; an empty one hides it.
    d.setPhotosText(u("照片：找到 1 张，缺少 0 张"));
    EXPECT_FALSE(d.photosLabel()->isHidden());
    d.setPhotosText(QString());
    EXPECT_TRUE(d.photosLabel()->isHidden());

    // Another sheet starts without photos, as without groups.
    d.photoBox()->setCurrentIndex(3);
    d.setRows({{"甲", "a.jpg"}});
    EXPECT_EQ(d.photoBox()->currentIndex(), 0);
    EXPECT_EQ(d.groupBox()->currentIndex(), 0);
    EXPECT_EQ(d.photoBox()->count(), 3);
}
