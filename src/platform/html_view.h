#pragma once
#include <memory>
#include <string>

namespace zc {

enum class ViewRole { ChatText, SecondText, UserList, Board, Smiles };

// One embedded HTML page. All texts are windows-1251 bytes.
class HtmlView {
public:
    virtual ~HtmlView() = default;
    virtual ViewRole Role() const = 0;
    // Loads a whole page; false when the view cannot take it.
    virtual bool WritePage(const std::string& html) = 0;
    // Appends to the end of the page body; false when there is no body.
    virtual bool AppendToBody(const std::string& html) = 0;
    virtual void ScrollToEnd() = 0;
    virtual std::string InnerHtmlById(const std::string& id) const = 0;
    // Replaces what the element with that id holds; false when the page has no such element.
    virtual bool SetInnerHtmlById(const std::string& id, const std::string& html) = 0;
    virtual void SetVisible(bool visible) = 0;
};

class ViewFactory {
public:
    virtual ~ViewFactory() = default;
    virtual std::unique_ptr<HtmlView> CreateView(ViewRole role) = 0;
};

}  // namespace zc
