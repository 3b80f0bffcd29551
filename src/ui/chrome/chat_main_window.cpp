#include "ui/chrome/chat_main_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QScrollBar>
#include <QTextBrowser>
#include <QHBoxLayout>
#include <QVBoxLayout>
#include <QWindow>

#include "app/chat_main_dlg.h"
#include "app/cp1251.h"
#include "qt/virtual_keys.h"

namespace zc {

namespace {

// Pages name style sheets and pictures by file; this frame shows the text alone.
class ChatTextBrowser : public QTextBrowser {
public:
    using QTextBrowser::QTextBrowser;
    QVariant loadResource(int, const QUrl&) override { return {}; }
};

QString FromCp1251(const std::string& text) { return QString::fromStdString(Cp1251ToUtf8(text)); }

}  // namespace

ChatMainWindow::ChatMainWindow() {
    setObjectName("ChatMainWindow");
    setMinimumSize(200, 150);

    auto* text = new ChatTextBrowser(this);
    text->setOpenLinks(false);
    text->setOpenExternalLinks(false);
    text->setUndoRedoEnabled(false);
    text->setFocusPolicy(Qt::ClickFocus);
    // The skin's style sheets come later; until then the page classes get a plain look.
    text->document()->setDefaultStyleSheet(
        "body { font-size: 10pt; }"
        ".copyright { color: #555555; }"
        ".myname { color: #1f5fb0; font-weight: bold; }"
        ".username { color: #1f5fb0; font-weight: bold; }"
        ".time { color: #888888; }"
        ".system, .notify { color: #666666; }"
        ".alert, .alertexist { color: #b02020; }"
        ".alertread { color: #808080; }"
        ".enteruser { color: #2a7a2a; }"
        ".exituser { color: #888888; }"
        ".private { color: #7a2a8a; }"
        ".changemode, .sound { color: #8a6a1a; font-style: italic; }"
        ".mymessage { color: #202020; }"
        "a { color: #1f5fb0; }");
    text_ = text;

    input_ = new QLineEdit(this);
    input_->setObjectName("InputLine");
    QObject::connect(input_, &QLineEdit::returnPressed, this, [this] {
        if (!chat_) return;
        // A refused send (too fast) keeps the text for another try.
        if (chat_->SendChatMessage(Utf8ToCp1251(input_->text().toStdString()))) input_->clear();
    });

    auto* layout = new QVBoxLayout(this);
    layout_ = layout;
    layout->setContentsMargins(6, 6, 6, 6);
    layout->setSpacing(6);
    // The pages side by side: the chat, and the user list at the right.
    pages_ = new QHBoxLayout;
    pages_->setSpacing(6);
    pages_->addWidget(text_, 1);
    layout->addLayout(pages_, 1);
    layout->addWidget(input_);

    // Many lines in one go become one repaint.
    render_.setSingleShot(true);
    render_.setInterval(0);
    QObject::connect(&render_, &QTimer::timeout, this, [this] { RenderChatPage(); });

    // Like a message filter before the widgets: hot keys work whatever has the focus.
    qApp->installEventFilter(this);
}

ChatMainWindow::~ChatMainWindow() { qApp->removeEventFilter(this); }

void ChatMainWindow::AttachChat(CChatMainDlg* chat) { chat_ = chat; }

void ChatMainWindow::OnViewChanged(const MemoryHtmlView& view, MemoryHtmlView::Change change) {
    if (view.Role() != ViewRole::ChatText) return;
    if (change == MemoryHtmlView::Change::Page) {
        chatPage_ = view.Page();
        pageDirty_ = true;
    } else if (change == MemoryHtmlView::Change::Scroll) {
        scrollPending_ = true;
    } else {
        text_->setVisible(view.Visible());
        return;
    }
    if (!render_.isActive()) render_.start();
}

void ChatMainWindow::RenderChatPage() {
    QScrollBar* bar = text_->verticalScrollBar();
    if (pageDirty_) {
        const bool atEnd = bar->value() >= bar->maximum();
        const int keep = bar->value();
        text_->setHtml(FromCp1251(chatPage_));
        pageDirty_ = false;
        if (!atEnd && !scrollPending_) bar->setValue(keep);
    }
    if (scrollPending_) bar->setValue(bar->maximum());
    scrollPending_ = false;
}

void ChatMainWindow::PlaceView(QWidget* view, ViewRole role) {
    switch (role) {
        case ViewRole::ChatText:
            text_->hide();
            pages_->insertWidget(0, view, 3);
            view->show();
            break;
        case ViewRole::UserList:
            view->setMinimumWidth(140);
            pages_->addWidget(view, 1);
            view->show();
            break;
        default:
            view->hide();
            break;
    }
}

std::string ChatMainWindow::InputText() const { return Utf8ToCp1251(input_->text().toStdString()); }

void ChatMainWindow::SetInputText(const std::string& text) {
    input_->setText(FromCp1251(text));
    input_->setCursorPosition(input_->text().size());
}

void ChatMainWindow::SetTitle(const std::string& title) {
    title_ = title;
    setWindowTitle(FromCp1251(title));
}

void ChatMainWindow::HideWindow() { hide(); }

void ChatMainWindow::ShowNormal() {
    // Unmapped behind our back (by the desktop or a tool): Qt still thinks it is shown.
    if (isVisible() && windowHandle() && !windowHandle()->isExposed() && !isMinimized()) hide();
    showNormal();
}

void ChatMainWindow::MinimizeWindow() { showMinimized(); }

void ChatMainWindow::BringToFront() {
    raise();
    activateWindow();
}

// A minimised window still counts as shown.
bool ChatMainWindow::IsWindowVisible() const { return isVisible(); }

bool ChatMainWindow::IsOnScreen() const {
    return isVisible() && !isMinimized() && windowHandle() && windowHandle()->isExposed();
}

void ChatMainWindow::ToggleFromTray() {
    if (!chat_) return;
    if (IsOnScreen()) chat_->HideToTray();
    else chat_->ShowFromTray();
}

// Position of the outer frame, size of the inside: what is stored at exit comes back the same,
// whatever the desktop adds around the window (the frame is known only once it is shown).
void ChatMainWindow::MoveWindow(int left, int top, int width, int height) {
    move(left, top);
    resize(std::max(1, width), std::max(1, height));
}

WindowRect ChatMainWindow::ScreenRect() const {
    const QPoint at = pos();
    return {at.x(), at.y(), at.x() + width(), at.y() + height()};
}

void ChatMainWindow::FocusInput() { input_->setFocus(Qt::OtherFocusReason); }

void ChatMainWindow::EndDialog() {
    // exit(), not quit(): quit() first asks every window to close, and ours refuses.
    QMetaObject::invokeMethod(QCoreApplication::instance(), [] { QCoreApplication::exit(0); }, Qt::QueuedConnection);
}

void ChatMainWindow::closeEvent(QCloseEvent* event) {
    if (!chat_ || chat_->Ended()) {
        event->accept();
        return;
    }
    // Closing only puts the chat away; it ends through the tray menu.
    event->ignore();
    chat_->HideToTray();
}

bool ChatMainWindow::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress || !chat_ || !watched->isWidgetType()) return false;
    auto* widget = static_cast<QWidget*>(watched);
    if (widget->window() != this) return false;
    // A key travels up from the focus widget to its parents; take it once, at the start.
    QWidget* focus = QApplication::focusWidget();
    if (focus ? widget != focus : widget != this) return false;
    auto* key = static_cast<QKeyEvent*>(event);
    const int code = VirtualKeyFromQt(key->key(), key->modifiers() & Qt::KeypadModifier);
    return code != 0 && chat_->OnKeyDown(code);
}

}  // namespace zc
