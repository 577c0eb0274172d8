#pragma once
// Crossing between the logic's GBK bytes and Qt's Unicode strings.

#include "host/core/text.h"

#include <QString>

#include <string>
#include <string_view>

namespace luckdial {

inline QString qstr(std::string_view gbkText) {
    const std::string u = utf8(gbkText);
    return QString::fromUtf8(u.data(), static_cast<qsizetype>(u.size()));
}

inline std::string gbkOf(const QString& text) {
    const QByteArray u = text.toUtf8();
    return gbk(std::string_view(u.constData(), static_cast<std::size_t>(u.size())));
}

} // namespace luckdial
