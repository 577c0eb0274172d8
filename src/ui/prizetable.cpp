#include "ui/prizetable.h"

#include "host/core/text.h"
#include "host/qtext.h"
#include "settings/core/names.h"
#include "ui/elements.h"

#include <QCheckBox>
#include <QFrame>
#include <QLineEdit>
#include <QPushButton>

#include <cmath>
#include <limits>

namespace luckdial {
namespace {

std::string textOf(const QLineEdit* field) {
    return gbkOf(field->text());
}

std::size_t slot(int row) {
    return static_cast<std::size_t>(row - 1);
}

} // namespace

std::optional<int> PrizeTable::rowOf(const QString& level) const {
    for (int row = 1; row <= kRows; ++row) {
        if (p_.name[slot(row)]->text() == level) return row;
    }
    return std::nullopt;
}

bool PrizeTable::completed(const QString& level,
                           const std::array<std::int32_t, kRows>& exhausted) const {
    for (int row = 1; row <= kRows; ++row) {
        if (p_.name[slot(row)]->text() != level) continue;
        if (std::abs(quota(row) - exhausted[slot(row)]) <= 1e-7) return true;
    }
    return false;
}

std::string PrizeTable::name(int row) const {
    return textOf(p_.name[slot(row)]);
}

std::string PrizeTable::quotaText(int row) const {
    return textOf(p_.quota[slot(row)]);
}

std::string PrizeTable::perDrawText(int row) const {
    return textOf(p_.perDraw[slot(row)]);
}

std::string PrizeTable::columnsText(int row) const {
    return textOf(p_.columns[slot(row)]);
}

std::string PrizeTable::presetN(int row) const {
    return textOf(p_.presetN[slot(row)]);
}

std::string PrizeTable::presetNN(int row) const {
    return textOf(p_.presetNN[slot(row)]);
}

std::string PrizeTable::presetNNN(int row) const {
    return textOf(p_.presetNNN[slot(row)]);
}

double PrizeTable::quota(int row) const {
    return toNumber(quotaText(row));
}

std::int32_t PrizeTable::levelLimit(int row) const {
    const double limit = std::trunc(quota(row) + 1.0);
    return static_cast<std::int32_t>(std::clamp<double>(
        limit, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()));
}

std::int32_t PrizeTable::perDraw(int row) const {
    return toInt(perDrawText(row));
}

double PrizeTable::columns(int row) const {
    return std::trunc(toNumber(columnsText(row)));
}

std::string PrizeTable::picturePath(int row) {
    return names::prizePicture(row);
}

void PrizeTable::setPictureMark(int row, bool exists) const {
    const QString mark = exists ? QStringLiteral("《有") : QStringLiteral("《无");
    QPushButton* button = p_.browse[slot(row)];
    if (button->text() != mark) button->setText(mark);
}

std::string PrizeTable::autoStopText() const {
    return textOf(p_.autoStop);
}

std::string PrizeTable::pageTurnText() const {
    return p_.pageTurn ? textOf(p_.pageTurn) : std::string("0");
}

std::string PrizeTable::fireworksTimeText() const {
    return textOf(p_.fireworksTime);
}

std::string PrizeTable::scrollSpeedText() const {
    return textOf(p_.scrollSpeed);
}

bool PrizeTable::allowRepeat() const {
    return p_.allowRepeat->isChecked();
}

bool PrizeTable::effectsDisabled() const {
    return p_.disableEffects->isChecked();
}

bool PrizeTable::maskEnabled() const {
    return p_.mask->isChecked();
}

std::string PrizeTable::maskLeft() const {
    return textOf(p_.maskLeft);
}

std::string PrizeTable::maskRight() const {
    return textOf(p_.maskRight);
}

std::string PrizeTable::maskChars() const {
    return textOf(p_.maskChars);
}

bool PrizeTable::isOpen(const QWidget* window) const {
    return p_.frame->isVisibleTo(window);
}

} // namespace luckdial
