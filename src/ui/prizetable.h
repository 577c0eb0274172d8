#pragma once
// A typed view over the prize settings panel: the eight prize rows and the
// draw options typed next to them. The fields are the live settings (edits
// count before a save), so every answer reads them at the moment it is asked.
// Rows are numbered 1 to 8 everywhere; "no row" is an empty optional.

#include <array>
#include <cstdint>
#include <optional>
#include <string>

class QString;
class QWidget;

namespace luckdial {

struct PanelElements;

class PrizeTable {
public:
    static constexpr int kRows = 8;

    explicit PrizeTable(const PanelElements& panel) : p_(panel) {}

    /// The first row, 1 to 8, whose name equals the level text exactly.
    std::optional<int> rowOf(const QString& level) const;
    /// Some row named `level` (not only the first) has a quota equal to its
    /// exhausted mark within 1e-7; an unfilled row (quota and mark 0) counts.
    bool completed(const QString& level, const std::array<std::int32_t, kRows>& exhausted) const;

    /// Texts of row `row` (GBK, as typed).
    std::string name(int row) const;
    std::string quotaText(int row) const;
    std::string perDrawText(int row) const;
    std::string columnsText(int row) const;
    /// The three preset winners: N for winner Q, NN for Q-1, NNN for Q-2.
    std::string presetN(int row) const;
    std::string presetNN(int row) const;
    std::string presetNNN(int row) const;

    double quota(int row) const;
    /// Quota plus one, computed in floating point, truncated toward zero and
    /// held inside 32 bits.
    std::int32_t levelLimit(int row) const;
    std::int32_t perDraw(int row) const;
    /// Column count, truncated toward zero.
    double columns(int row) const;

    /// The row's prize picture, relative to the program directory (GBK).
    static std::string picturePath(int row);
    /// Marks the row's browse button "《有" or "《无" (untouched when it already does).
    void setPictureMark(int row, bool exists) const;

    // Draw options of the panel.
    std::string autoStopText() const;
    std::string fireworksTimeText() const;
    /// Seconds a page of a paged draw stays before the next turns ("0": never).
    std::string pageTurnText() const;
    std::string scrollSpeedText() const;
    bool allowRepeat() const;
    bool effectsDisabled() const;
    bool maskEnabled() const;
    std::string maskLeft() const;
    std::string maskRight() const;
    std::string maskChars() const;

    /// The panel is showing on `window` (its fields are being edited).
    bool isOpen(const QWidget* window) const;

private:
    const PanelElements& p_;
};

} // namespace luckdial
