#include "host/qt/dialogs.h"

#include "host/core/hostbase.h"
#include "host/qtext.h"

#include <QColorDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFontDialog>
#include <QHBoxLayout>
#include <QInputDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QStringList>
#include <QVBoxLayout>

#include <cmath>
#include <vector>

namespace luckdial {

namespace {

QColor toColour(int value) {
    return QColor(value & 0xFF, (value >> 8) & 0xFF, (value >> 16) & 0xFF);
}

int fromColour(const QColor& c) {
    return c.red() + 256 * c.green() + 65536 * c.blue();
}

QFont toFont(const FontValue& v) {
    QFont font(qstr(v.face));
    font.setPointSize(v.size > 0 ? v.size : 9);
    font.setBold(v.bold);
    font.setItalic(v.italic);
    font.setUnderline(v.underline);
    font.setStrikeOut(v.strikeOut);
    return font;
}

int pointsOf(const QFont& font) {
    if (font.pointSize() > 0) return font.pointSize();
    if (font.pointSizeF() > 0) return static_cast<int>(std::lround(font.pointSizeF()));
    if (font.pixelSize() > 0) return static_cast<int>(std::lround(font.pixelSize() * 72.0 / 96.0));
    return 9;
}

void setSwatch(QPushButton* button, int colour) {
    QPixmap swatch(24, 14);
    swatch.fill(toColour(colour));
    button->setIcon(QIcon(swatch));
}

struct ButtonSpec {
    QMessageBox::StandardButton button;
    const char* text;
    int result;
};

std::vector<ButtonSpec> buttonsOf(int style) {
    switch (style & 0x0F) {
    case MbOkCancel:
        return {{QMessageBox::Ok, "确定", IdOk}, {QMessageBox::Cancel, "取消", IdCancel}};
    case 2:
        return {{QMessageBox::Abort, "中止", IdAbort},
                {QMessageBox::Retry, "重试", IdRetry},
                {QMessageBox::Ignore, "忽略", IdIgnore}};
    case MbYesNoCancel:
        return {{QMessageBox::Yes, "是", IdYes},
                {QMessageBox::No, "否", IdNo},
                {QMessageBox::Cancel, "取消", IdCancel}};
    case MbYesNo:
        return {{QMessageBox::Yes, "是", IdYes}, {QMessageBox::No, "否", IdNo}};
    case 5:
        return {{QMessageBox::Retry, "重试", IdRetry}, {QMessageBox::Cancel, "取消", IdCancel}};
    default:
        return {{QMessageBox::Ok, "确定", IdOk}};
    }
}

QMessageBox::Icon iconOf(int style) {
    switch (style & 0xF0) {
    case MbIconError:
        return QMessageBox::Critical;
    case MbIconQuestion:
        return QMessageBox::Question;
    case MbIconWarning:
        return QMessageBox::Warning;
    case MbIconInformation:
        return QMessageBox::Information;
    default:
        return QMessageBox::NoIcon;
    }
}

} // namespace

QString dialogText(const std::string& gbkText) {
    QString text = qstr(gbkText);
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}

int showMessageBox(QWidget* parent, const std::string& text, int style,
                   const std::string& caption) {
    QMessageBox box(parent);
    box.setWindowTitle(caption.empty() ? QStringLiteral("信息：") : qstr(caption));
    // Texts carry participant names and file contents: never rich text.
    box.setTextFormat(Qt::PlainText);
    box.setText(dialogText(text));
    box.setIcon(iconOf(style));

    const std::vector<ButtonSpec> specs = buttonsOf(style);
    std::vector<QAbstractButton*> buttons;
    for (const ButtonSpec& spec : specs) {
        QPushButton* button = box.addButton(spec.button);
        button->setText(QString::fromUtf8(spec.text));
        buttons.push_back(button);
    }
    box.setDefaultButton(static_cast<QPushButton*>(buttons.front()));

    // What closing the box (title bar or Escape) answers.
    std::size_t escape = 0;
    for (std::size_t i = 0; i < specs.size(); ++i) {
        if (specs[i].result == IdCancel || specs[i].result == IdNo) escape = i;
        if (specs[i].result == IdCancel) break;
    }
    box.setEscapeButton(buttons[escape]);

    box.exec();
    QAbstractButton* clicked = box.clickedButton();
    for (std::size_t i = 0; i < buttons.size(); ++i)
        if (buttons[i] == clicked) return specs[i].result;
    return specs[escape].result;
}

std::optional<std::string> showInputBox(QWidget* parent, const std::string& prompt,
                                        const std::string& caption, const std::string& initial) {
    QInputDialog dialog(parent);
    dialog.setInputMode(QInputDialog::TextInput);
    dialog.setWindowTitle(qstr(caption));
    dialog.setLabelText(dialogText(prompt));
    dialog.setTextValue(qstr(initial));
    dialog.setOkButtonText(QStringLiteral("确定"));
    dialog.setCancelButtonText(QStringLiteral("取消"));
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return gbkOf(dialog.textValue());
}

QString qtFileFilter(const std::string& filter) {
    const QStringList parts = qstr(filter).split(QLatin1Char('|'));
    QStringList entries;
    for (qsizetype i = 0; i < parts.size(); i += 2) {
        QString description = parts[i].trimmed();
        QString windowsPattern = i + 1 < parts.size() ? parts[i + 1].trimmed() : QString();
        if (description.isEmpty() && windowsPattern.isEmpty()) continue;
        if (windowsPattern.isEmpty()) windowsPattern = QStringLiteral("*");
        QString pattern = windowsPattern;
        pattern.replace(QLatin1Char(';'), QLatin1Char(' '));
        pattern = pattern.simplified();
        // Qt reads the patterns from the last parenthesised group; a
        // description that already shows them keeps its own wording.
        const QString shown = QLatin1Char('(') + windowsPattern + QLatin1Char(')');
        if (description.endsWith(shown)) {
            description.chop(shown.size());
            entries << description + QLatin1Char('(') + pattern + QLatin1Char(')');
        } else {
            if (description.isEmpty()) description = pattern;
            entries << description + QStringLiteral(" (") + pattern + QLatin1Char(')');
        }
    }
    return entries.join(QStringLiteral(";;"));
}

std::optional<std::string> showOpenFileDialog(QWidget* parent, const std::string& filter,
                                              const std::string& initial) {
    const QString start =
        initial.empty() ? QString() : QString::fromUtf8(HostBase::nativePath(initial));
    const QString chosen =
        QFileDialog::getOpenFileName(parent, QStringLiteral("打开"), start, qtFileFilter(filter));
    if (chosen.isEmpty()) return std::nullopt;
    return gbkOf(chosen);
}

std::optional<std::string> showSaveFileDialog(QWidget* parent, const std::string& filter,
                                              const std::string& initial) {
    const QString start =
        initial.empty() ? QString() : QString::fromUtf8(HostBase::nativePath(initial));
    const QString chosen =
        QFileDialog::getSaveFileName(parent, QStringLiteral("另存为"), start, qtFileFilter(filter));
    if (chosen.isEmpty()) return std::nullopt;
    return gbkOf(chosen);
}

std::optional<FontChoice> showFontDialog(QWidget* parent, const FontChoice& initial) {
    QDialog dialog(parent);
    dialog.setWindowTitle(QStringLiteral("字体"));
    auto* layout = new QVBoxLayout(&dialog);

    const QFont initialFont = toFont(initial.font);
    auto* fonts = new QFontDialog(&dialog);
    fonts->setObjectName(QStringLiteral("fonts"));
    fonts->setWindowFlags(Qt::Widget);
    fonts->setOptions(QFontDialog::NoButtons);
    fonts->setCurrentFont(initialFont);
    const QString shownFamily = fonts->currentFont().family();
    layout->addWidget(fonts);

    int colour = initial.colour;
    auto* row = new QHBoxLayout;
    row->addWidget(new QLabel(QStringLiteral("颜色："), &dialog));
    auto* colourButton = new QPushButton(QStringLiteral("选择颜色..."), &dialog);
    colourButton->setObjectName(QStringLiteral("colourButton"));
    colourButton->setAutoDefault(false);
    setSwatch(colourButton, colour);
    QObject::connect(colourButton, &QPushButton::clicked, &dialog, [&] {
        if (const auto chosen = showColourDialog(&dialog, colour)) {
            colour = *chosen;
            setSwatch(colourButton, colour);
        }
    });
    row->addWidget(colourButton);
    row->addStretch();
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("确定"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("取消"));
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    row->addWidget(buttons);
    layout->addLayout(row);

    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    const QFont chosen = fonts->currentFont();
    FontChoice result;
    // A Windows face name that is not installed shows as its substitute;
    // unless the user picked another family, keep the name as stored.
    result.font.face = chosen.family() == shownFamily ? initial.font.face : gbkOf(chosen.family());
    result.font.size = pointsOf(chosen);
    result.font.bold = chosen.bold();
    result.font.italic = chosen.italic();
    result.font.underline = chosen.underline();
    result.font.strikeOut = chosen.strikeOut();
    result.font.angle = initial.font.angle;
    result.colour = colour;
    return result;
}

std::optional<int> showColourDialog(QWidget* parent, int initial) {
    const QColor chosen = QColorDialog::getColor(toColour(initial), parent, QStringLiteral("颜色"));
    if (!chosen.isValid()) return std::nullopt;
    return fromColour(chosen);
}

} // namespace luckdial
