#pragma once

#include <QString>
#include <QStringList>
#include <string>
#include <vector>

namespace zubo {

// Command-line arguments as text for the option parser, and back as the
// bytes they were given in. A file name is bytes in whatever encoding its
// file system holds, and text cannot carry bytes that are not UTF-8: such
// an argument (or the value after "--option=") reaches the parser as a
// placeholder, a noncharacter followed by the argument's index, which
// bytes() turns back into the original. An argument that itself begins
// with the noncharacter is passed the same way, so none is mistaken.
class ArgumentBytes {
  public:
    explicit ArgumentBytes(std::vector<std::string> arguments);

    const QStringList& texts() const { return _texts; }
    // The bytes of a text that the parser returned (an option's value or a
    // positional argument).
    std::string bytes(const QString& text) const;

  private:
    std::vector<std::string> _arguments;
    QStringList _texts;
};

} // namespace zubo
