#pragma once
// What every window does to its widgets: the document's texts (UTF-8) as the widgets' strings, and a widget
// given the object name it is found by (a control array shares one name and keeps its place in the
// property "Index").

#include <QString>
#include <string>

namespace tabulo {

inline QString Q(const std::string& text) {
  return QString::fromStdString(text);
}
// A text the program holds as UTF-8 (messages, captions, names); string literals convert by themselves.
inline QString Q(const char* text) {
  return QString::fromUtf8(text);
}

template <class W>
W* Named(W* widget, const char* name, int index = -1) {
  widget->setObjectName(name);
  if (index >= 0) widget->setProperty("Index", index);
  return widget;
}

}  // namespace tabulo
