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
    bool leftButtonDown = false;
};

}  // namespace zc
