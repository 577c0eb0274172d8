#include "app/importcommand.h"

#include "app/groupstore.h"
#include "app/photoimport.h"
#include "app/recovery.h"
#include "app/reset.h"
#include "app/sheetloader.h"
#include "host/core/hostbase.h"
#include "host/core/text.h"
#include "host/host.h"
#include "photos/photoindex.h"
#include "pool/entrylist.h"
#include "settings/core/names.h"
#include "ui/elements.h"
#include "ui/importdialog.h"
#include "ui/loadingcaption.h"
#include "ui/mainwindow.h"
#include "ui/widgets.h"

#include <QAction>
#include <QFileInfo>

#include <memory>
#include <optional>
#include <utility>

namespace luckdial {

namespace {

constexpr const char* kListFilter =
    "名单表格(*.xlsx;*.xlsm;*.xls;*.ods;*.csv;*.txt)|*.xlsx;*.xlsm;*.xls;*.ods;*.csv;*.txt|"
    "所有文件(*.*)|*.*";

std::string countText(std::size_t n) {
    return toText(static_cast<long long>(n));
}

} // namespace

ImportCommand::ImportCommand(Host& host, MainWindow& window) : host_(host), window_(window) {}

void ImportCommand::connectHandlers() {
    QObject::connect(window_.elements().menu.importList, &QAction::triggered, &window_,
                     [this] { run(); });
}

std::string ImportCommand::readErrorMessage(sheet::ReadError error) {
    switch (error) {
    case sheet::ReadError::None:
        return {};
    case sheet::ReadError::CannotOpen:
        return gbk("无法打开这个文件，请检查文件是否还在、是否正被其他程序占用！");
    case sheet::ReadError::NotSpreadsheet:
        return gbk("这个文件不是可以导入的名单（可以导入 .xlsx、.xlsm、.xls、.ods、.csv 和 .txt "
                   "文件）！");
    case sheet::ReadError::Damaged:
        return gbk("这个文件已损坏或不完整，无法读取！请用表格软件打开并重新保存后再导入。");
    case sheet::ReadError::TooLarge:
        return gbk("这个文件太大，无法导入！");
    case sheet::ReadError::TooManyRows:
        // More rows than a pool may hold entries: the pool's own words.
        return names::poolTooLargeMessage();
    case sheet::ReadError::PasswordProtected:
        return gbk("这个文件有密码保护，无法读取！请用表格软件输入密码打开它，另存一份不设密码的"
                   "副本，再导入这个副本。");
    case sheet::ReadError::BinaryWorkbook:
        return gbk("这个文件是 Excel 二进制工作簿（.xlsb），无法直接导入！请用 Excel 打开它，"
                   "另存为“Excel 工作簿（*.xlsx）”后再导入。");
    case sheet::ReadError::OldWorkbook:
        return gbk("这个 .xls 文件的格式太旧（Excel 95 或更早）或已损坏，无法读取！请用表格软件"
                   "打开它，另存为 .xlsx 后再导入。");
    case sheet::ReadError::Cancelled:
        // The operator stopped the read: nothing to tell.
        return {};
    }
    return {};
}

bool ImportCommand::readOk(sheet::ReadError error) {
    if (error == sheet::ReadError::None) return true;
    if (error == sheet::ReadError::Cancelled) return false;
    if (error == sheet::ReadError::TooManyRows)
        host_.messageBox(readErrorMessage(error), MbOk);
    else
        host_.messageBox(readErrorMessage(error), MbOk | MbIconWarning, gbk("提示"));
    return false;
}

bool ImportCommand::eventUnderWay() {
    return host_.fileExists(host_.path(names::progressFile())) ||
           !host_.readFile(host_.path(names::resultsFile())).empty() || !window_.results().empty();
}

bool ImportCommand::replacePool(const std::vector<std::string>& entries) {
    const std::string pool = host_.path(names::poolFile());
    const std::string backup = host_.path(names::poolBackupFile());
    auto fail = [this] {
        host_.messageBox(gbk("抽奖号码库写入失败，请检查磁盘或文件权限！\r\n"
                             "原来的名单、抽奖进度和抽奖结果都没有改动。"),
                         MbOk | MbIconWarning, gbk("提示"));
        return false;
    };

    const bool hadPool = host_.fileExists(pool);
    if (hadPool) {
        // The copy an earlier import made goes aside rather than being replaced.
        if (host_.fileExists(backup) && host_.keepAside(backup, true).empty()) return fail();
        if (!host_.copyFile(pool, backup)) return fail();
    }
    if (!host_.writeFile(pool, poolFileText(entries))) return fail();

    // The event on the old list ends: its progress, results and the record
    // of its run would otherwise be offered, or overwritten, at the next start.
    std::vector<std::pair<std::string, std::string>> moved;
    std::vector<std::string> aside = {names::progressFile(), pendingProgressName(),
                                      recoveryRecordName(), names::progressGroupsFile()};
    if (!host_.readFile(host_.path(names::resultsFile())).empty())
        aside.push_back(names::resultsFile());
    for (const std::string& name : aside) {
        const std::string path = host_.path(name);
        if (!host_.fileExists(path)) continue;
        std::string kept = host_.keepAside(path, true);
        if (kept.empty()) {
            // Back to the old event as it was: files to their names, the old pool.
            for (const auto& [from, to] : moved)
                (void)host_.moveFile(to, from); // each target was free a moment ago
            if (hadPool)
                (void)host_.copyFile(backup, pool); // the copy made above
            else
                (void)host_.deleteFile(pool);
            return fail();
        }
        moved.emplace_back(path, std::move(kept));
    }
    return true;
}

void ImportCommand::run() {
    const std::optional<std::string> chosen =
        host_.openFileDialog(gbk(kListFilter), host_.programDir());
    if (!chosen) return;
    const std::string native = HostBase::nativePath(*chosen);

    // The window opens at once and the workbook is read behind it: 取消
    // stops the read, and nothing has been written by then.
    ImportDialog dialog({}, QFileInfo(QString::fromStdString(native)).fileName(), &window_);
    SheetLoader loader;
    // Photo cells are paths relative to the list's folder.
    PhotoImport photos(QFileInfo(QString::fromStdString(native)).absolutePath());
    const PhotoIndex eventPhotos = PhotoIndex::scan(
        QString::fromStdString(HostBase::nativePath(host_.path(names::photoDirectory()))));
    QObject::connect(&dialog, &ImportDialog::photosChanged, &dialog, [&] {
        dialog.setPhotosText(
            QString::fromStdString(photos.windowText(dialog.entries(), eventPhotos)));
    });
    int shownSheet = 0;
    QObject::connect(&loader, &SheetLoader::progressed, &dialog, &ImportDialog::setProgress);
    QObject::connect(&loader, &SheetLoader::finished, &dialog, [&] {
        SheetLoader::Result read = loader.take();
        dialog.setReading(false);
        if (read.listed) {
            if (!readOk(read.sheets.error) || !readOk(read.table.error)) {
                dialog.reject();
                return;
            }
            dialog.setSheets(read.sheets.names);
        } else if (!readOk(read.table.error)) {
            dialog.showSheet(shownSheet);
            return;
        }
        shownSheet = read.index;
        dialog.setRows(std::move(read.table.rows));
    });
    QObject::connect(&dialog, &ImportDialog::sheetChosen, &dialog, [&](int index) {
        dialog.setReading(true);
        loader.start(native, index);
    });
    dialog.setReading(true);
    loader.start(native, -1);
    if (dialog.exec() != QDialog::Accepted) return;
    loader.cancel();

    const EntryList& list = dialog.entries();
    if (list.tooMany()) {
        host_.messageBox(names::poolTooLargeMessage(), MbOk);
        return;
    }
    if (list.entries.empty()) return;
    const bool hadPool = host_.fileExists(host_.path(names::poolFile()));
    if (eventUnderWay()) {
        const int answer =
            host_.messageBox(gbk("导入新名单将开始一次新的抽奖：现在的抽奖进度和抽奖结果将改名保存"
                                 "（不会删除），不再继续。\r\n\r\n确定导入吗？"),
                             MbOkCancel | MbIconQuestion, gbk("确定导入新名单？"));
        if (answer != IdOk) return;
    }
    if (!replacePool(list.entries)) return;
    writePoolGroups(host_, entryGroupFileText(list));
    std::string photosDone;
    if (!list.photos.empty()) {
        const std::vector<PhotoImport::Copy> copies =
            photos.plan(list, PhotoImport::existingPhotoFiles(host_));
        // Thousands of photos take a while: the caption says what is going on.
        // Painted, not processing events, so that no handler runs meanwhile.
        std::unique_ptr<LoadingCaption> caption;
        if (!copies.empty()) {
            caption = std::make_unique<LoadingCaption>();
            caption->label()->setCaption(gbk("正在复制照片，请稍后..."));
            caption->move(host_.screenLeft() + (host_.screenWidth() - caption->width()) / 2,
                          host_.screenTop() + (host_.screenHeight() - caption->height()) / 2);
            caption->show();
            caption->repaint();
        }
        const int copied = photos.copyInto(host_, copies, [&](std::size_t done, std::size_t total) {
            caption->setProgress(static_cast<double>(done) / static_cast<double>(total));
            caption->repaint();
        });
        caption.reset();
        photosDone = gbk("照片") + countText(static_cast<std::size_t>(copied)) +
                     gbk("张已放入“照片”文件夹；");
        if (copied < static_cast<int>(copies.size()))
            photosDone += gbk("另有") +
                          countText(copies.size() - static_cast<std::size_t>(copied)) +
                          gbk("张照片未能复制；");
    }

    host_.messageBox(
        gbk("新的抽奖名单已导入，共") + countText(list.entries.size()) + gbk("条；") + photosDone +
            (hadPool ? gbk("原来的名单已保存为“抽奖号码库_bak.txt”。\r\n") : std::string()) +
            gbk("抽奖系统将重新启动！"),
        MbOk);
    // As after a reset: the close sequence must not save the old event's
    // progress over the new one.
    host_.runProgram(quotedCommand(host_.executablePath()), false);
    host_.endProgram(0);
}

} // namespace luckdial
