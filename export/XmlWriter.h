#pragma once

#include <initializer_list>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace zubo {

// Text with &, <, > and the double quote written as entities.
std::string xmlEscaped(std::string_view text);

// Writes indented XML elements into a string, escaping texts and attribute
// values; the files we write need nothing more than that.
class XmlWriter {
  public:
    using Attributes = std::initializer_list<std::pair<std::string_view, std::string_view>>;

    explicit XmlWriter(std::string& out) : _out(out) {}

    void open(std::string_view name, Attributes attributes = {});
    void close();
    // <name>text</name>
    void text(std::string_view name, std::string_view text);
    // <name/>
    void empty(std::string_view name, Attributes attributes = {});

  private:
    void start(std::string_view name, Attributes attributes);

    std::string& _out;
    std::vector<std::string> _open;
};

} // namespace zubo
