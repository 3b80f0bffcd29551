#pragma once
#include <string>

namespace zc {

enum class ViewEventKind { Click, DoubleClick, MouseDown, MouseMove, ContextMenu };

// One element event as a page reports it.
struct ViewEvent {
    ViewEventKind kind = ViewEventKind::Click;
    std::string className;
    std::string id;
    std::string innerText;
    std::string parentClass;
    std::string outerHtml;
    std::string title;
    // The attribute values as the page holds them; the outer HTML writes "&" as "&amp;".
    std::string href;
    std::string src;
    // 1 for a single click, 2 for the second click of a double click (which also sends DoubleClick).
    int clickCount = 1;
    bool leftButtonDown = false;
};

}  // namespace zc
