#include "ui/importdialog.h"

#include "pool/pool.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>
#include <iterator>
#include <vector>

namespace luckdial {

namespace {

QString u(const std::string& utf8Text) {
    return QString::fromUtf8(utf8Text.data(), static_cast<qsizetype>(utf8Text.size()));
}

/// A cell in a column label: one line, not wider than a combo box.
QString shortCell(const std::string& cell) {
    QString text = u(oneLine(cell));
    constexpr qsizetype kMax = 16;
    if (text.size() > kMax) text = text.left(kMax) + QStringLiteral("…");
    return text;
}

} // namespace

ImportDialog::ImportDialog(const std::vector<std::string>& sheets, const QString& fileName,
                           QWidget* parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("导入抽奖名单"));
    setWindowTitle(QStringLiteral("导入抽奖名单 - ") + fileName);

    sheet_ = new QComboBox(this);
    sheet_->setObjectName(QStringLiteral("组合框_工作表"));
    for (const std::string& name : sheets)
        sheet_->addItem(u(name));
    header_ = new QCheckBox(QStringLiteral("第一行是标题（列名），不是名单"), this);
    header_->setObjectName(QStringLiteral("选择框_标题行"));

    auto* partsRow = new QHBoxLayout;
    for (int i = 0; i < kParts; ++i) {
        parts_[i] = new QComboBox(this);
        parts_[i]->setObjectName(QStringLiteral("组合框_列") + QString::number(i + 1));
        parts_[i]->setSizeAdjustPolicy(QComboBox::AdjustToContents);
        if (i > 0) partsRow->addWidget(new QLabel(QStringLiteral("+"), this));
        partsRow->addWidget(parts_[i]);
    }
    partsRow->addStretch();
    group_ = new QComboBox(this);
    group_->setObjectName(QStringLiteral("组合框_分组"));
    group_->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    joiner_ = new QLineEdit(QStringLiteral(" "), this);
    joiner_->setObjectName(QStringLiteral("编辑框_连接符"));
    joiner_->setMaximumWidth(80);
    drop_ = new QCheckBox(QStringLiteral("去掉重复的名单（只留第一次出现的）"), this);
    drop_->setObjectName(QStringLiteral("选择框_去掉重复"));

    preview_ = new QListWidget(this);
    preview_->setObjectName(QStringLiteral("列表框_预览"));
    preview_->setSelectionMode(QAbstractItemView::NoSelection);
    counts_ = new QLabel(this);
    counts_->setObjectName(QStringLiteral("标签_统计"));
    counts_->setWordWrap(true);
    progress_ = new QProgressBar(this);
    progress_->setObjectName(QStringLiteral("进度条_读取"));
    progress_->setRange(0, 1000);
    progress_->setFormat(QStringLiteral("正在读取表格…… %p%"));
    progress_->hide();

    ok_ = new QPushButton(QStringLiteral("确定"), this);
    ok_->setObjectName(QStringLiteral("按钮_确定"));
    ok_->setDefault(true);
    cancel_ = new QPushButton(QStringLiteral("取消"), this);
    cancel_->setObjectName(QStringLiteral("按钮_取消"));
    // Enter pressed while the list is still read must not cancel the import:
    // with 确定 disabled, an auto-default 取消 holding the focus would take it.
    cancel_->setAutoDefault(false);
    photo_ = new QComboBox(this);
    photo_->setObjectName(QStringLiteral("组合框_照片"));
    photo_->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    photos_ = new QLabel(this);
    photos_->setObjectName(QStringLiteral("标签_照片"));
    photos_->setWordWrap(true);
    photos_->hide();
    // Tab follows the rows as they are seen, whatever order they were made in.
    std::vector<QWidget*> order{sheet_, header_};
    order.insert(order.end(), std::begin(parts_), std::end(parts_));
    order.insert(order.end(), {joiner_, drop_, group_, photo_, preview_, ok_, cancel_});
    for (std::size_t i = 1; i < order.size(); ++i)
        QWidget::setTabOrder(order[i - 1], order[i]);
    connect(ok_, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("工作表："), sheet_);
    form->addRow(QString(), header_);
    form->addRow(QStringLiteral("名单由这些列组成："), partsRow);
    // A space cannot be seen in the field: say what it holds at first.
    auto* joinerRow = new QHBoxLayout;
    joinerRow->addWidget(joiner_);
    joinerRow->addWidget(new QLabel(QStringLiteral("（开始是一个空格，也可以不加）"), this));
    joinerRow->addStretch();
    form->addRow(QStringLiteral("列与列之间加上："), joinerRow);
    form->addRow(QString(), drop_);
    // Alt+G and Alt+P reach the two optional columns from anywhere in the window.
    form->addRow(QStringLiteral("分组（如部门）(&G)："), group_);
    form->addRow(QStringLiteral("照片列（可选）(&P)："), photo_);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok_);
    buttons->addWidget(cancel_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(new QLabel(QStringLiteral("预览（前%1条）：").arg(kPreviewEntries), this));
    layout->addWidget(preview_);
    layout->addWidget(counts_);
    layout->addWidget(photos_);
    layout->addWidget(progress_);
    layout->addLayout(buttons);
    resize(520, 480);

    connect(sheet_, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (!quiet_) Q_EMIT sheetChosen(index);
    });
    connect(header_, &QCheckBox::toggled, this, [this] {
        labelColumns();
        rebuild();
    });
    for (QComboBox* part : parts_)
        connect(part, &QComboBox::currentIndexChanged, this, [this] { rebuild(); });
    connect(group_, &QComboBox::currentIndexChanged, this, [this] { rebuild(); });
    connect(photo_, &QComboBox::currentIndexChanged, this, [this] { rebuild(); });
    connect(joiner_, &QLineEdit::textChanged, this, [this] { rebuild(); });
    connect(drop_, &QCheckBox::toggled, this, [this] { rebuild(); });
    rebuild();
}

QComboBox* ImportDialog::columnBox(int part) const {
    return part >= 0 && part < kParts ? parts_[static_cast<std::size_t>(part)] : nullptr;
}

void ImportDialog::showSheet(int index) {
    quiet_ = true;
    sheet_->setCurrentIndex(index);
    quiet_ = false;
}

void ImportDialog::setSheets(const std::vector<std::string>& sheets) {
    quiet_ = true;
    sheet_->clear();
    for (const std::string& name : sheets)
        sheet_->addItem(u(name));
    sheet_->setCurrentIndex(sheets.empty() ? -1 : 0);
    quiet_ = false;
}

void ImportDialog::setReading(bool reading) {
    reading_ = reading;
    for (QWidget* w : std::initializer_list<QWidget*>{sheet_, header_, joiner_, drop_, preview_})
        w->setEnabled(!reading);
    for (QComboBox* part : parts_)
        part->setEnabled(!reading);
    group_->setEnabled(!reading);
    photo_->setEnabled(!reading);
    progress_->setVisible(reading);
    if (reading) {
        setProgress(-1);
        ok_->setEnabled(false);
    } else {
        ok_->setEnabled(!list_.entries.empty());
        if (ok_->isEnabled()) ok_->setFocus();
    }
}

void ImportDialog::setProgress(int permille) {
    // An unknown amount: the bar moves to and fro.
    if (permille < 0) {
        progress_->setRange(0, 0);
        return;
    }
    progress_->setRange(0, 1000);
    progress_->setValue(std::min(permille, 1000));
}

void ImportDialog::setRows(std::vector<std::vector<std::string>> rows) {
    rows_ = std::move(rows);
    columnCount_ = 1;
    for (const auto& row : rows_)
        columnCount_ = std::max(columnCount_, row.size());
    const bool header = likelyHeader(rows_);
    const std::vector<std::size_t> columns =
        header ? suggestedColumns(rows_.front()) : std::vector<std::size_t>{0};

    quiet_ = true;
    header_->blockSignals(true);
    header_->setChecked(header);
    header_->blockSignals(false);
    for (int i = 0; i < kParts; ++i) {
        QComboBox* part = parts_[static_cast<std::size_t>(i)];
        part->blockSignals(true);
        part->clear();
        part->addItem(QStringLiteral("（不用）"), -1);
        for (std::size_t c = 0; c < columnCount_; ++c)
            part->addItem(QString(), static_cast<int>(c));
        const auto chosen = static_cast<std::size_t>(i);
        part->setCurrentIndex(chosen < columns.size() ? static_cast<int>(columns[chosen]) + 1 : 0);
        part->blockSignals(false);
    }
    group_->blockSignals(true);
    group_->clear();
    group_->addItem(QStringLiteral("（不分组）"), -1);
    for (std::size_t c = 0; c < columnCount_; ++c)
        group_->addItem(QString(), static_cast<int>(c));
    // Groups only when the organiser asks for them: a list imported as
    // before gives the pool it always gave.
    group_->setCurrentIndex(0);
    group_->blockSignals(false);
    // Photos too: a list of file names is only taken for photos when asked.
    photo_->blockSignals(true);
    photo_->clear();
    photo_->addItem(QStringLiteral("（不导入）"), -1);
    for (std::size_t c = 0; c < columnCount_; ++c)
        photo_->addItem(QString(), static_cast<int>(c));
    photo_->setCurrentIndex(0);
    photo_->blockSignals(false);
    quiet_ = false;
    labelColumns();
    rebuild();
}

void ImportDialog::labelColumns() {
    const bool header = header_->isChecked();
    std::vector<QComboBox*> boxes(parts_.begin(), parts_.end());
    boxes.push_back(group_);
    boxes.push_back(photo_);
    for (QComboBox* part : boxes) {
        for (int item = 1; item < part->count(); ++item) {
            const auto c = static_cast<std::size_t>(part->itemData(item).toInt());
            QString text = QString::fromStdString(columnLetters(c)) + QStringLiteral("列");
            // The column's name, or without a header what its first row holds.
            if (!rows_.empty() && c < rows_.front().size() && !oneLine(rows_.front()[c]).empty()) {
                const QString cell = shortCell(rows_.front()[c]);
                text += header ? QStringLiteral("：") + cell
                               : QStringLiteral("（如 ") + cell + QStringLiteral("）");
            }
            part->setItemText(item, text);
        }
    }
}

EntryRecipe ImportDialog::recipe() const {
    EntryRecipe r;
    r.headerRow = header_->isChecked();
    r.columns.clear();
    for (QComboBox* part : parts_) {
        const int column = part->currentData().isValid() ? part->currentData().toInt() : -1;
        if (column >= 0) r.columns.push_back(static_cast<std::size_t>(column));
    }
    const QByteArray joiner = joiner_->text().toUtf8();
    r.joiner.assign(joiner.constData(), static_cast<std::size_t>(joiner.size()));
    r.dropDuplicates = drop_->isChecked();
    const int group = group_->currentData().isValid() ? group_->currentData().toInt() : -1;
    if (group >= 0) r.groupColumn = static_cast<std::size_t>(group);
    const int photo = photo_->currentData().isValid() ? photo_->currentData().toInt() : -1;
    if (photo >= 0) r.photoColumn = static_cast<std::size_t>(photo);
    return r;
}

QString ImportDialog::countsText(const EntryList& list, bool dropDuplicates) {
    QString text = QStringLiteral("共 %1 条名单；跳过空行 %2 行；重复的名单 %3 条")
                       .arg(list.entries.size())
                       .arg(list.emptyRows)
                       .arg(list.duplicates);
    if (list.duplicates > 0) {
        text += dropDuplicates ? QStringLiteral("（已去掉）")
                               : QStringLiteral("（保留，各有一次机会）");
        QStringList examples;
        for (const std::string& e : list.duplicateExamples)
            examples << shortCell(e);
        text += QStringLiteral("，如：") + examples.join(QStringLiteral("、"));
    }
    const std::string groups = groupCountsText(groupSizes(list));
    if (!groups.empty()) text += QStringLiteral("；分组：") + u(groups);
    if (list.tooMany())
        text += QStringLiteral("。超过了抽奖号码库的上限 %1 条！").arg(Pool::kLimit);
    return text;
}

void ImportDialog::rebuild() {
    if (quiet_) return;
    list_ = buildEntries(rows_, recipe());
    preview_->clear();
    const std::size_t shown = std::min<std::size_t>(list_.entries.size(), kPreviewEntries);
    for (std::size_t i = 0; i < shown; ++i)
        preview_->addItem(u(list_.entries[i]));
    if (list_.entries.size() > shown) preview_->addItem(QStringLiteral("……"));
    counts_->setText(countsText(list_, drop_->isChecked()));
    ok_->setEnabled(!reading_ && !list_.entries.empty());
    Q_EMIT photosChanged();
}

void ImportDialog::setPhotosText(const QString& text) {
    photos_->setText(text);
    photos_->setVisible(!text.isEmpty());
}

} // namespace luckdial
