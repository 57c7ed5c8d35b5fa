#pragma once
// The document's texts (UTF-8) as the widgets' strings: one spelling for every window.

#include <QString>
#include <string>

namespace tabulo {

inline QString Q(const std::string& text) {
  return QString::fromStdString(text);
}

}  // namespace tabulo
