#pragma once
// The small window of 导入抽奖名单...: which sheet, whether the first row
// names the columns, which columns make an entry and what joins them, whether
// duplicates stay, which column names each entry's photo; a preview of the
// first entries and the counts follow every change. While a sheet is read its progress bar shows
// how far, and only 取消 answers. Only the look and the entries live here; the shell reads the
// sheets and writes the pool.

#include "pool/entrylist.h"

#include <QDialog>

#include <array>
#include <string>
#include <vector>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QProgressBar;
class QPushButton;

namespace luckdial {

class ImportDialog : public QDialog {
    Q_OBJECT
public:
    /// Entries shown in the preview.
    static constexpr int kPreviewEntries = 10;
    /// Columns an entry can be made of.
    static constexpr int kParts = 3;

    /// sheets: the workbook's sheet names (UTF-8), the first one chosen;
    /// fileName is shown in the title.
    ImportDialog(const std::vector<std::string>& sheets, const QString& fileName,
                 QWidget* parent = nullptr);

    /// The rows of the chosen sheet (UTF-8 cells). Guesses whether the first
    /// row is a header and which columns make an entry.
    void setRows(std::vector<std::vector<std::string>> rows);
    /// Shows the sheet as chosen without announcing it (a failed switch goes back).
    void showSheet(int index);
    /// The workbook's sheets, once they are known; the first one chosen.
    void setSheets(const std::vector<std::string>& sheets);

    /// A read under way: the progress bar shows, every control but 取消 waits.
    void setReading(bool reading);
    bool reading() const { return reading_; }
    /// How far the read is, 0 to 1000; -1 while that is not known.
    void setProgress(int permille);

    /// The entries as the controls say now.
    const EntryList& entries() const { return list_; }
    EntryRecipe recipe() const;

    QComboBox* sheetBox() const { return sheet_; }          ///< 组合框_工作表
    QCheckBox* headerBox() const { return header_; }        ///< 选择框_标题行
    QComboBox* columnBox(int part) const;                   ///< 组合框_列1 to 组合框_列3
    QComboBox* groupBox() const { return group_; }          ///< 组合框_分组
    QComboBox* photoBox() const { return photo_; }          ///< 组合框_照片
    QLabel* photosLabel() const { return photos_; }         ///< 标签_照片
    QLineEdit* joinerEdit() const { return joiner_; }       ///< 编辑框_连接符
    QCheckBox* dropDuplicatesBox() const { return drop_; }  ///< 选择框_去掉重复
    QListWidget* preview() const { return preview_; }       ///< 列表框_预览
    QLabel* countsLabel() const { return counts_; }         ///< 标签_统计
    QProgressBar* progressBar() const { return progress_; } ///< 进度条_读取
    QPushButton* okButton() const { return ok_; }           ///< 按钮_确定
    QPushButton* cancelButton() const { return cancel_; }   ///< 按钮_取消

    /// The counts line for a list, as the dialog shows it.
    static QString countsText(const EntryList& list, bool dropDuplicates);

    /// What the shell found of the entries' photos, shown under the counts;
    /// empty: no line.
    void setPhotosText(const QString& text);

Q_SIGNALS:
    /// The operator picked another sheet; the shell answers with setRows or showSheet.
    void sheetChosen(int index);
    /// The entries or their photo cells changed: the shell looks for their
    /// photos and answers with setPhotosText.
    void photosChanged();

private:
    void labelColumns();
    void rebuild();

    std::vector<std::vector<std::string>> rows_;
    EntryList list_;
    std::size_t columnCount_ = 0;
    QComboBox* sheet_ = nullptr;
    QCheckBox* header_ = nullptr;
    std::array<QComboBox*, kParts> parts_{};
    QComboBox* group_ = nullptr;
    QComboBox* photo_ = nullptr;
    QLabel* photos_ = nullptr;
    QLineEdit* joiner_ = nullptr;
    QCheckBox* drop_ = nullptr;
    QListWidget* preview_ = nullptr;
    QLabel* counts_ = nullptr;
    QPushButton* ok_ = nullptr;
    QPushButton* cancel_ = nullptr;
    QProgressBar* progress_ = nullptr;
    bool quiet_ = false;
    bool reading_ = false;
};

} // namespace luckdial
