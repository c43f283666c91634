#include "export/XmlWriter.h"

namespace zubo {

std::string xmlEscaped(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        default:
            out += c;
        }
    }
    return out;
}

void XmlWriter::start(std::string_view name, Attributes attributes) {
    _out.append(2 * _open.size(), ' ');
    _out += '<';
    _out += name;
    for (const auto& [key, value] : attributes) {
        _out += ' ';
        _out += key;
        _out += "=\"";
        _out += xmlEscaped(value);
        _out += '"';
    }
}

void XmlWriter::open(std::string_view name, Attributes attributes) {
    start(name, attributes);
    _out += ">\n";
    _open.emplace_back(name);
}

void XmlWriter::close() {
    const std::string name = std::move(_open.back());
    _open.pop_back();
    _out.append(2 * _open.size(), ' ');
    _out += "</" + name + ">\n";
}

void XmlWriter::text(std::string_view name, std::string_view text) {
    start(name, {});
    _out += '>';
    _out += xmlEscaped(text);
    _out += "</";
    _out += name;
    _out += ">\n";
}

void XmlWriter::empty(std::string_view name, Attributes attributes) {
    start(name, attributes);
    _out += "/>\n";
}

} // namespace zubo
