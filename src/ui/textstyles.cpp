#include "ui/textstyles.h"

#include "draw/core/drawstate.h"
#include "host/core/text.h"
#include "settings/core/names.h"
#include "ui/elements.h"
#include "ui/widgets.h"

#include <QAction>
#include <QObject>
#include <QWidget>

#include <algorithm>
#include <cmath>

namespace luckdial {
namespace {

void resizeHeight(QWidget* widget, int height) {
    widget->resize(widget->width(), height);
}

} // namespace

StyleTarget styleTarget(TransparentLabel& label) {
    TransparentLabel* l = &label;
    return {[l] { return l->fontValue(); }, [l](const FontValue& f) { l->setFontValue(f); },
            [l] { return l->textColour(); }, [l](int c) { l->setTextColour(c); }};
}

bool runStyleCommand(Host& host, const std::string& keyPrefix, const StyleTarget& target) {
    // The dialog always starts from the same neutral font, not the element's.
    FontChoice initial;
    initial.font.face = gbk("宋体");
    initial.font.size = 9;
    initial.colour = target.colour();

    const std::optional<FontChoice> chosen = host.fontDialog(initial);
    if (chosen) {
        FontValue font = chosen->font;
        font.angle = 0;
        target.setFont(font);
        target.setColour(chosen->colour);
    }

    // Written on cancel too: the first use of a command fixes the design style
    // in the file.
    const std::string file = host.path(names::kConfigFile);
    const FontValue now = target.font();
    // The style holds for the session even when it cannot be stored.
    (void)host.writeItem(file, names::kColours, keyPrefix + gbk("字体"), now.face);
    (void)host.writeItem(file, names::kColours, keyPrefix + gbk("字体大小"),
                         toText(static_cast<long long>(now.size)));
    (void)host.writeItem(file, names::kColours, keyPrefix + gbk("字体颜色"),
                         toText(static_cast<long long>(target.colour())));
    return chosen.has_value();
}

int heightForPoints(int points, double factor, int lines) {
    const double height = std::floor(points * factor) * lines;
    return static_cast<int>(std::clamp<double>(height, 0, QWIDGETSIZE_MAX));
}

TextStyleController::TextStyleController(Host& host, MainElements& elements, const DrawState& draw)
    : host_(host), e_(elements), draw_(draw) {}

void TextStyleController::connectHandlers() {
    const MenuActions& m = e_.menu;
    QObject::connect(m.fontMainTitle, &QAction::triggered, e_.window, [this] { styleMainTitle(); });
    QObject::connect(m.fontSubTitle, &QAction::triggered, e_.window, [this] { styleSubTitle(); });
    QObject::connect(m.fontWinners, &QAction::triggered, e_.window, [this] { styleWinners(); });
    QObject::connect(m.fontCongrats, &QAction::triggered, e_.window, [this] { styleCongrats(); });
}

void TextStyleController::styleMainTitle() {
    runStyleCommand(host_, gbk("主标题"), styleTarget(*e_.mainTitle));
    resizeHeight(e_.mainTitle, heightForPoints(e_.mainTitle->fontValue().size, 1.8));
}

void TextStyleController::styleSubTitle() {
    runStyleCommand(host_, gbk("副标题"), styleTarget(*e_.subTitle));
    resizeHeight(e_.subTitle, heightForPoints(e_.subTitle->fontValue().size, 1.8));
    // The progress line and the level caption are written in the subtitle's colour.
    e_.progress->setTextColour(e_.subTitle->textColour());
    e_.levelCaption->setTextColour(e_.subTitle->textColour());
}

void TextStyleController::styleWinners() {
    runStyleCommand(host_, gbk("中奖人"), styleTarget(*e_.winners));
    resizeHeight(e_.winners,
                 heightForPoints(e_.winners->fontValue().size, 2, std::max(draw_.perDrawCount, 0)));
}

void TextStyleController::styleCongrats() {
    runStyleCommand(host_, gbk("恭喜"), styleTarget(*e_.congrats));
}

} // namespace luckdial
