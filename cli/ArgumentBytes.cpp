#include "cli/ArgumentBytes.h"

#include <QByteArray>

namespace zubo {
namespace {

constexpr QChar kPlaceholder(0xFDD0);

bool representable(const std::string& bytes) {
    const QByteArray raw = QByteArray::fromStdString(bytes);
    const QString text = QString::fromUtf8(raw);
    return text.toUtf8() == raw && !text.startsWith(kPlaceholder);
}

} // namespace

ArgumentBytes::ArgumentBytes(std::vector<std::string> arguments)
    : _arguments(std::move(arguments)) {
    for (std::size_t index = 0; index < _arguments.size(); ++index) {
        const std::string& argument = _arguments[index];
        const QString placeholder = kPlaceholder + QString::number(index);
        if (representable(argument)) {
            _texts << QString::fromStdString(argument);
            continue;
        }
        const auto equals = argument.find('=');
        const std::string option = argument.substr(0, equals);
        if (argument.rfind("--", 0) == 0 && equals != std::string::npos && representable(option)) {
            _texts << QString::fromStdString(option) + QLatin1Char('=') + placeholder;
        } else {
            _texts << placeholder;
        }
    }
}

std::string ArgumentBytes::bytes(const QString& text) const {
    if (!text.startsWith(kPlaceholder)) {
        return text.toStdString();
    }
    bool number = false;
    const auto index = text.mid(1).toULongLong(&number);
    if (!number || index >= _arguments.size()) {
        return text.toStdString();
    }
    const std::string& argument = _arguments[index];
    const auto equals = argument.find('=');
    // The placeholder stood for the whole argument, or for its value.
    return _texts[static_cast<qsizetype>(index)].startsWith(kPlaceholder)
               ? argument
               : argument.substr(equals + 1);
}

} // namespace zubo
