#pragma once
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <QImage>
#include <QPointer>
#include <QWidget>

#include "app/view_events.h"
#include "platform/main_window_host.h"
#include "platform/skin_chrome.h"

class QMenu;
class QWebEngineView;
class QVBoxLayout;
class QHBoxLayout;

namespace zc {

class ClickPoint;
class InputBox;
class HistorySearchWindow;
class UnreadBadge;
class UserListDrops;

class CChatMainDlg;

// Text of the chat for a widget: the "&#N;" the chat writes for characters outside the code page
// become those characters again.
QString TextFromCp1251(const std::string& text);
// The language string a skin button's tool tip shows; -1 for none.
int ButtonToolTipString(const std::string& name);
// The style sheet that gives menus and alert windows the skin's colours.
QString SkinMenuAndAlertStyle(const SkinMainElements& main);

// The top-level window that hosts the chat: its text page and the input line.
class ChatMainWindow : public QWidget, public MainWindowHost, public SkinChrome {
public:
    ChatMainWindow();
    ~ChatMainWindow() override;

    void AttachChat(CChatMainDlg* chat);
    // What a page event left for the window.
    void CarryOut(ViewRole role, const WindowRequest& request);
    // A web view made for the chat: the public page takes the text area, the others wait hidden.
    void PlaceView(QWidget* view, ViewRole role);
    std::string InputText() const override;
    void SetInputText(const std::string& text) override;
    void SetInputTextAt(const std::string& text, size_t caret) override;
    size_t InputCaret() const override;
    std::pair<size_t, size_t> InputSelection() const override;
    // The input box's right-click menu.
    void FillInputMenu(QMenu& menu);
    // Marks the button of the page in front.
    void MarkPageButton();
    // Ctrl+F: the history search window, opened or brought back.
    void ShowHistorySearch();
    HistorySearchWindow* HistorySearch() const;
    // The page buttons carry the count of their page's unread messages: a badge and the tool tip.
    void ShowUnreadCounts();
    InputBox* Input() const { return input_; }
    void PlaceToolWindow(ViewRole role, const WindowRect& rect) override;
    // The smiles window dragged by its page, as if by a caption.
    void DragToolWindow(ViewRole role);
    // Copy, copy all and copy to the input for a chat page.
    void ShowCopyMenu(ViewRole role);
    // The chat page's selected text goes into the input box at the caret; nothing when none.
    void CopySelectionToInput(ViewRole role);
    // The everyday actions on one user of the list (picked by identity or name).
    void ShowUserMenu(const std::string& picked);
    // The local user's own entry: the own information card.
    void ShowOwnMenu();
    // The skin's mode and profile buttons: the four modes, the current one checked; the
    // profiles, choosing one restarts the chat in it.
    void ShowChatModeMenu();
    // The four modes by their texts, the current one checked.
    void AddModeItems(QMenu& menu);
    // A group heading of the user list: a message, an alert or a sound signal to the group.
    void ShowGroupMenu(const std::string& group);
    void ShowProfileMenu();
    // The plug-ins' sub-menu, built fresh each time a menu opens.
    void AddPluginMenu(QMenu& menu);
    int ScreenRight() const override;

    void SetTitle(const std::string& title) override;
    std::string Title() const override { return title_; }
    void HideWindow() override;
    void ShowNormal() override;
    void MinimizeWindow() override;
    void BringToFront() override;
    bool IsWindowVisible() const override;
    bool IsForeground() const override;
    std::uint64_t NativeId() const override;
    void MoveWindow(int left, int top, int width, int height) override;
    WindowRect ScreenRect() const override;
    void FocusInput() override;
    void EndDialog() override;

    // The skinned frame.
    void RemoveSkinElements() override;
    void ShowSkinError(const std::string& text) override;
    void SetMainElements(const SkinMainElements& main) override;
    void AddPicture(const SkinPicture& picture, const std::string& path) override;
    void AddButton(const SkinButton& button, const std::string& path) override;
    void FinishLayout() override;

protected:
    void closeEvent(QCloseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    CChatMainDlg* chat_ = nullptr;
    QVBoxLayout* layout_ = nullptr;
    QHBoxLayout* pages_ = nullptr;

    void LayOutSkin();
    // Tab goes from the input box to the views, the page buttons and the other buttons.
    void ChainTabOrder();
    // The input box and the views as screen readers call them, in the chat's language.
    void NameForReaders();
    void ShowInputMenu(const QPoint& at);
    static int PageOfButton(int command);
    struct Picture {
        SkinPicture skin;
        QImage image;  // mask colour already transparent
    };
    bool skinned_ = false;
    SkinMainElements main_;
    std::vector<Picture> pictures_;
    std::vector<std::pair<SkinButton, QWidget*>> buttons_;
    std::map<ViewRole, QWidget*> views_;
    InputBox* input_ = nullptr;
    // Files dropped onto a user of the list are offered to that user.
    std::unique_ptr<UserListDrops> drops_;
    QPointer<QWebEngineView> listView_;
    QWidget* pageMark_ = nullptr;  // the bar under the shown page's button
    std::map<QWidget*, QPointer<UnreadBadge>> badges_;  // by page button
    QPointer<HistorySearchWindow> search_;
    std::string title_;
    ClickPoint* clicks_ = nullptr;  // where menus open
    // Set while the window follows the mouse itself, where the desktop cannot move it.
    std::optional<QPoint> dragFrom_;
};

}  // namespace zc
