#pragma once
// Between Qt's texts and the UTF-8 strings the pure code works with.
#include <QString>

#include <string>
#include <string_view>

namespace orvik {

inline std::string Utf8FromQString(const QString& text) { return text.toStdString(); }

inline QString QStringFromUtf8(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace orvik
