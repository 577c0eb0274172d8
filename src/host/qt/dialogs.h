#pragma once
// The host's modal dialogs on Qt Widgets, with Chinese button texts whatever
// translations are installed.

#include "host/host.h"

#include <QString>

#include <optional>
#include <string>

class QWidget;

namespace luckdial {

/// style: a button set (0 OK, 1 OK/Cancel, 3 Yes/No/Cancel, 4 Yes/No) plus an
/// icon (16, 32, 48, 64). Returns IdOk, IdCancel, IdYes or IdNo; closing the
/// box without a button gives Cancel where the box has one, else OK or No.
int showMessageBox(QWidget* parent, const std::string& text, int style, const std::string& caption);

std::optional<std::string> showInputBox(QWidget* parent, const std::string& prompt,
                                        const std::string& caption, const std::string& initial);

/// "描述|*.jpg|描述2|*.a;*.b" -> "描述 (*.jpg);;描述2 (*.a *.b)".
QString qtFileFilter(const std::string& filter);

std::optional<std::string> showOpenFileDialog(QWidget* parent, const std::string& filter,
                                              const std::string& initial);

/// Asks before an existing file is replaced.
std::optional<std::string> showSaveFileDialog(QWidget* parent, const std::string& filter,
                                              const std::string& initial);

/// A font dialog with a text colour button; the angle is kept from initial.
std::optional<FontChoice> showFontDialog(QWidget* parent, const FontChoice& initial);

/// Colour values are red + 256 * green + 65536 * blue.
std::optional<int> showColourDialog(QWidget* parent, int initial);

/// Text as shown in a dialog: "\r\n" becomes a line break.
QString dialogText(const std::string& gbkText);

} // namespace luckdial
